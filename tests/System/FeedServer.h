// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <chrono>

namespace tisko::test {

// A one-page HTTP server on 127.0.0.1 that answers every request with the response the test
// sets, then closes the connection. Needs the application object to exist first.
class FeedServer : public QTcpServer {
public:
    // What follows the response: nothing (the connection closes), a byte every tenth of a
    // second, or 64 kB chunks of a chunked body, each as soon as the one before is sent,
    // until the client goes.
    enum class Tail { none, trickle, flood };

    FeedServer() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            }
        });
    }
    // Answers 200 with `body`, announcing its length.
    void serve(const QByteArray& body) {
        respond("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " +
                QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }
    void respond(const QByteArray& response, Tail tail = Tail::none) {
        m_response = response;
        m_tail = tail;
    }
    QUrl address() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/a").arg(serverPort())); }
    // How many requests arrived, and how many bytes of floods the clients took.
    int requests() const { return m_requests; }
    qint64 flooded() const { return m_flooded; }

private:
    void answer(QTcpSocket* socket) {
        if (!socket->peek(64 * 1024).contains("\r\n\r\n"))
            return;
        socket->readAll();
        ++m_requests;
        socket->write(m_response);
        if (m_tail == Tail::none) {
            socket->disconnectFromHost();
        } else if (m_tail == Tail::trickle) {
            auto* timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket] { socket->write(" "); });
            timer->start(std::chrono::milliseconds(100));
        } else {
            const QByteArray chunk = "10000\r\n" + QByteArray(0x10000, 'x') + "\r\n";
            connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket, chunk](qint64 n) {
                m_flooded += n;
                if (socket->bytesToWrite() == 0)
                    socket->write(chunk);
            });
        }
    }

    QByteArray m_response;
    Tail m_tail = Tail::none;
    int m_requests = 0;
    qint64 m_flooded = 0;
};

} // namespace tisko::test
