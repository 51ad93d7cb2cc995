#include "Tisko/System/AppcastFetcher.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace tisko {

namespace {

bool isLoopback(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

AppcastFetcher::AppcastFetcher(std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
    , m_timeout(timeout) {}

AppcastFetcher::~AppcastFetcher() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

QString AppcastFetcher::refusal(const QUrl& address) {
    if (!address.isValid() || address.host().isEmpty())
        return QStringLiteral("la dirección «%1» no es válida").arg(address.toString());
    const QString scheme = address.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return {};
    if (scheme == QLatin1String("http") && isLoopback(address.host()))
        return {};
    return QStringLiteral("la dirección «%1» no es HTTPS").arg(address.toDisplayString());
}

void AppcastFetcher::fetch(const QUrl& address, Handler handler) {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    m_received.clear();
    m_handler = std::move(handler);
    if (const QString refused = refusal(address); !refused.isEmpty()) {
        QTimer::singleShot(0, this, [this, refused] { finish({{}, refused}); });
        return;
    }

    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tisko/" TISKO_VERSION));
    QNetworkReply* reply = m_network->get(request);
    m_reply = reply;
    const QString scheme = address.scheme().toLower();

    connect(reply, &QNetworkReply::redirected, this, [this, reply, scheme](const QUrl& target) {
        QString refused = refusal(target);
        if (refused.isEmpty() && target.scheme().toLower() != scheme)
            refused = QStringLiteral("redirige a otro esquema (%1)").arg(target.scheme());
        if (!refused.isEmpty()) {
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
            finish({{}, refused});
            return;
        }
        Q_EMIT reply->redirectAllowed();
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes) {
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
            finish({{}, QStringLiteral("el canal pasa de 1 MB")});
        }
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        m_received += reply->readAll();
        if (m_received.size() > maxBytes) {
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
            finish({{}, QStringLiteral("el canal pasa de 1 MB")});
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        m_received += reply->readAll();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError)
            finish({{}, reply->errorString()});
        else if (status != 200)
            finish({{}, QStringLiteral("el servidor responde %1").arg(status)});
        else if (m_received.size() > maxBytes)
            finish({{}, QStringLiteral("el canal pasa de 1 MB")});
        else
            finish({m_received, {}});
    });
}

void AppcastFetcher::finish(const Result& result) {
    m_reply = nullptr;
    m_received.clear();
    // The handler may start the next fetch.
    const Handler handler = std::exchange(m_handler, {});
    if (handler)
        handler(result);
}

} // namespace tisko
