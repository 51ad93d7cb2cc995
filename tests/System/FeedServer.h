#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

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
    }
    // Answers a redirect to `target`.
    void redirect(const QUrl& target) {
        m_response = "HTTP/1.1 302 Found\r\nLocation: " + target.toEncoded() +
                     "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    }
    QUrl address() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/a").arg(serverPort())); }
    // How many requests arrived.
    int requests() const { return m_requests; }

private:
    QByteArray m_response;
    int m_requests = 0;
};

} // namespace tisko::test
