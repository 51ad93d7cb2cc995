// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>

class QNetworkAccessManager;

namespace tisko {

// Fetches the update feed without blocking: HTTPS only, except plain HTTP to a loopback
// address; redirects only to another address that passes the same rule with the same
// scheme, at most maxRedirects of them; at most maxBytes, however the body is sent, and never
// more than that held in memory; and the whole fetch over within a fixed time, however slowly
// the server trickles. One fetch at a time; a new one cancels the one in flight.
class AppcastFetcher : public QObject {
    Q_OBJECT
public:
    // The largest feed accepted.
    static constexpr qint64 maxBytes = 1024 * 1024;
    // The most redirects followed.
    static constexpr int maxRedirects = 5;

    // The feed's text, or why it could not be had (then `document` is empty).
    struct Result {
        QByteArray document;
        QString error;
    };
    // Receives the fetch's result.
    using Handler = std::function<void(const Result&)>;

    // A fetch that receives nothing for `idleTimeout`, or is not over within `totalTimeout`,
    // fails.
    explicit AppcastFetcher(std::chrono::milliseconds idleTimeout = std::chrono::seconds(30),
                            std::chrono::milliseconds totalTimeout = std::chrono::seconds(60),
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
    // Drops the fetch in flight and answers with `reason`.
    void abandon(const QString& reason);
    void cancelReply();
    void replyFinished(QNetworkReply* reply);

    QNetworkAccessManager* m_network;
    std::chrono::milliseconds m_idleTimeout;
    QTimer* m_deadline;
    QPointer<QNetworkReply> m_reply;
    int m_redirects = 0;
    QByteArray m_received;
    Handler m_handler;
};

} // namespace tisko
