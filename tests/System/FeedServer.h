// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <atomic>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

// Answers one request on 127.0.0.1 with `chunks` chunks of 64 kB, from a thread of its own
// and as fast as the client takes them, so that the client's event loop does not pace it.
class ChunkFlood {
public:
    explicit ChunkFlood(int chunks) {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        auto* any = reinterpret_cast<sockaddr*>(&address);
        if (::bind(m_listener, any, size) != 0 || ::listen(m_listener, 1) != 0 ||
            ::getsockname(m_listener, any, &size) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this, chunks] {
            pollfd waiting{m_listener, POLLIN, 0};
            if (::poll(&waiting, 1, 10000) != 1)
                return;
            const int fd = ::accept(m_listener, nullptr, nullptr);
            char request[4096];
            if (::recv(fd, request, sizeof request, 0) > 0) {
                const QByteArray head = "HTTP/1.1 200 OK\r\nConnection: close\r\n"
                                        "Transfer-Encoding: chunked\r\n\r\n";
                const QByteArray chunk = "10000\r\n" + QByteArray(0x10000, 'x') + "\r\n";
                bool open = ::send(fd, head.constData(), size_t(head.size()), MSG_NOSIGNAL) > 0;
                for (int i = 0; open && i < chunks; ++i) {
                    open = ::send(fd, chunk.constData(), size_t(chunk.size()), MSG_NOSIGNAL) ==
                           chunk.size();
                    if (open)
                        m_sent += chunk.size();
                }
            }
            ::close(fd);
        });
    }
    ~ChunkFlood() {
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listener);
    }
    ChunkFlood(const ChunkFlood&) = delete;
    ChunkFlood& operator=(const ChunkFlood&) = delete;
    QUrl address() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/a").arg(m_port)); }
    // Waits for the sender to end (the reader closed or all was sent) and says how many bytes
    // the reader took.
    qint64 finish() {
        if (m_thread.joinable())
            m_thread.join();
        return m_sent;
    }

private:
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<qint64> m_sent{0};
    std::thread m_thread;
};

} // namespace tisko::test
