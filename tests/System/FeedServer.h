#pragma once

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>

namespace tisko::test {

// A one-page HTTP server on 127.0.0.1 that answers every request with the response the test
// sets, then closes the connection. Needs the application object to exist first.
class FeedServer : public QTcpServer {
public:
    FeedServer() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->peek(64 * 1024).contains("\r\n\r\n"))
                        return;
                    socket->readAll();
                    ++m_requests;
                    socket->write(m_response);
                    if (m_count > 0)
                        pump(socket);
                    else
                        socket->disconnectFromHost();
                });
            }
        });
    }
    // Answers 200 with `body`, announcing its length unless `announceLength` is false.
    void serve(const QByteArray& body, bool announceLength = true) {
        m_response = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
        if (announceLength)
            m_response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        m_response += "\r\n" + body;
        m_count = 0;
    }
    // Answers with `head`, then `piece` `count` times, `gap` apart or as fast as the client
    // takes them, then `tail`; stops early when the client goes.
    void stream(const QByteArray& head, const QByteArray& piece, int count,
                std::chrono::milliseconds gap = {}, const QByteArray& tail = {}) {
        m_response = head;
        m_piece = piece;
        m_count = count;
        m_gap = gap;
        m_tail = tail;
    }
    // Answers a redirect to `target`.
    void redirect(const QUrl& target) {
        m_response = "HTTP/1.1 302 Found\r\nLocation: " + target.toEncoded() +
                     "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        m_count = 0;
    }
    QUrl address() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/a").arg(serverPort())); }
    // How many requests arrived.
    int requests() const { return m_requests; }

private:
    void pump(QTcpSocket* socket) {
        auto sent = std::make_shared<int>(0);
        auto more = [this, socket, sent] {
            while (*sent < m_count && socket->bytesToWrite() < 1024 * 1024) {
                socket->write(m_piece);
                if (++*sent == m_count) {
                    socket->write(m_tail);
                    socket->disconnectFromHost();
                }
                if (m_gap.count() > 0)
                    break;
            }
        };
        if (m_gap.count() > 0) {
            auto* timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, more);
            timer->start(m_gap);
        } else {
            connect(socket, &QTcpSocket::bytesWritten, socket, more);
            more();
        }
    }

    QByteArray m_response;
    QByteArray m_piece;
    QByteArray m_tail;
    int m_count = 0;
    std::chrono::milliseconds m_gap{};
    int m_requests = 0;
};

} // namespace tisko::test
