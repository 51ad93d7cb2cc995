#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <chrono>
#include <functional>

class QNetworkAccessManager;

namespace tisko {

// Fetches the update feed without blocking: HTTPS only, except plain HTTP to a loopback
// address; redirects only to another address that passes the same rule with the same
// scheme; at most maxBytes. One fetch at a time; a new one cancels the one in flight.
class AppcastFetcher : public QObject {
    Q_OBJECT
public:
    // The largest feed accepted.
    static constexpr qint64 maxBytes = 1024 * 1024;

    // The feed's text, or why it could not be had (then `document` is empty).
    struct Result {
        QByteArray document;
        QString error;
    };
    // Receives the fetch's result.
    using Handler = std::function<void(const Result&)>;

    // A fetch that receives nothing for `timeout` fails.
    explicit AppcastFetcher(std::chrono::milliseconds timeout = std::chrono::seconds(30),
                            QObject* parent = nullptr);
    ~AppcastFetcher() override;

    // Why `address` may not be fetched, in words for the log; empty when it may.
    static QString refusal(const QUrl& address);

    // Fetches `address` and answers later on this object's thread, never synchronously.
    void fetch(const QUrl& address, Handler handler);
    // Whether a fetch is in flight.
    bool isBusy() const { return m_reply != nullptr; }

private:
    void finish(const Result& result);

    QNetworkAccessManager* m_network;
    std::chrono::milliseconds m_timeout;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_received;
    Handler m_handler;
};

} // namespace tisko
