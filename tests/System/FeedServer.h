// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <atomic>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <chrono>
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
    // What follows the response: nothing (the connection closes), or a byte every tenth of a
    // second until the client goes.
    enum class Tail { none, trickle };

    FeedServer() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            }
        });
    }
    void serve(const QByteArray& body) {
        respond("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " +
                QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }
    void respond(const QByteArray& response, Tail tail = Tail::none) {
        m_response = response;
        m_tail = tail;
    }
    QUrl address() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/a").arg(serverPort())); }
    // How many requests arrived.
    int requests() const { return m_requests; }

private:
    void answer(QTcpSocket* socket) {
        if (!socket->peek(64 * 1024).contains("\r\n\r\n"))
            return;
        socket->readAll();
        ++m_requests;
        socket->write(m_response);
        if (m_tail == Tail::none) {
            socket->disconnectFromHost();
        } else {
            auto* timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket] { socket->write(" "); });
            timer->start(std::chrono::milliseconds(100));
        }
    }

    QByteArray m_response;
    Tail m_tail = Tail::none;
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
            const timeval limit{5, 0}; // a client that neither reads nor closes ends it too
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
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
        finish();
        ::close(m_listener);
    }
    QUrl address() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/a").arg(m_port)); }
    // Waits for the sender to end (the reader closed, or all was sent, or nothing was taken
    // for five seconds) and says how many bytes the reader took.
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
