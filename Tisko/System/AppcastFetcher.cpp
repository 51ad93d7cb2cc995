// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

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

bool isCompressed(const QNetworkReply& reply) {
    const QByteArray encoding = reply.rawHeader("Content-Encoding").trimmed().toLower();
    return !encoding.isEmpty() && encoding != "identity";
}

QString tooLarge() {
    return QStringLiteral("el canal pasa de 1 MB");
}

QString tooSlow() {
    return QStringLiteral("el servidor tarda demasiado");
}

QString tooManyRedirects() {
    return QStringLiteral("demasiadas redirecciones");
}

QString badCompression() {
    return QStringLiteral("el contenido comprimido no es válido o es demasiado grande");
}

} // namespace

AppcastFetcher::AppcastFetcher(std::chrono::milliseconds idleTimeout,
                               std::chrono::milliseconds totalTimeout, QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
    , m_idleTimeout(idleTimeout)
    , m_deadline(new QTimer(this)) {
    m_deadline->setSingleShot(true);
    m_deadline->setInterval(totalTimeout);
    connect(m_deadline, &QTimer::timeout, this, [this] { abandon(tooSlow()); });
}

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

void AppcastFetcher::cancelReply() {
    m_deadline->stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void AppcastFetcher::abandon(const QString& reason) {
    cancelReply();
    finish({{}, reason});
}

void AppcastFetcher::fetch(const QUrl& address, Handler handler) {
    cancelReply();
    m_received.clear();
    m_redirects = 0;
    m_handler = std::move(handler);
    if (const QString refused = refusal(address); !refused.isEmpty()) {
        QTimer::singleShot(0, this, [this, refused] { finish({{}, refused}); });
        return;
    }

    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    // Counted here, so that a loop is told as one; the network's own count is a backstop.
    request.setMaximumRedirectsAllowed(maxRedirects + 1);
    request.setTransferTimeout(static_cast<int>(m_idleTimeout.count()));
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tisko/" TISKO_VERSION));
    QNetworkReply* reply = m_network->get(request);
    // The network thread holds no more than this before the bytes are taken here.
    reply->setReadBufferSize(64 * 1024);
    m_reply = reply;
    m_deadline->start();
    const QString scheme = address.scheme().toLower();

    connect(reply, &QNetworkReply::redirected, this, [this, reply, scheme](const QUrl& target) {
        QString refused = refusal(target);
        if (refused.isEmpty() && target.scheme().toLower() != scheme)
            refused = QStringLiteral("redirige a otro esquema (%1)").arg(target.scheme());
        if (refused.isEmpty() && ++m_redirects > maxRedirects)
            refused = tooManyRedirects();
        if (!refused.isEmpty()) {
            abandon(refused);
            return;
        }
        Q_EMIT reply->redirectAllowed();
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes)
            abandon(tooLarge());
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        m_received += reply->read(maxBytes + 1 - m_received.size());
        if (m_received.size() > maxBytes)
            abandon(tooLarge());
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { replyFinished(reply); });
}

void AppcastFetcher::replyFinished(QNetworkReply* reply) {
    m_deadline->stop();
    reply->deleteLater();
    m_received += reply->read(maxBytes + 1 - m_received.size());
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    switch (reply->error()) {
    case QNetworkReply::NoError:
        break;
    case QNetworkReply::OperationCanceledError: // the idle timeout
    case QNetworkReply::TimeoutError:
        finish({{}, tooSlow()});
        return;
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        finish({{}, tooManyRedirects()});
        return;
    default:
        finish({{}, isCompressed(*reply) ? badCompression() : reply->errorString()});
        return;
    }
    // A loop of redirects can end on an interim or redirect status that nothing follows.
    if (m_redirects > 0 && (status < 200 || (status >= 300 && status < 400)))
        finish({{}, tooManyRedirects()});
    else if (status != 200)
        finish({{}, QStringLiteral("el servidor responde %1").arg(status)});
    else if (m_received.size() > maxBytes)
        finish({{}, tooLarge()});
    else
        finish({m_received, {}});
}

void AppcastFetcher::finish(const Result& result) {
    m_deadline->stop();
    m_reply = nullptr;
    m_received.clear();
    // The handler may start the next fetch.
    const Handler handler = std::exchange(m_handler, {});
    if (handler)
        handler(result);
}

} // namespace tisko
