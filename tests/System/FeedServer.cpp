#include "FeedServer.h"

#include <QTcpSocket>

namespace tisko::test {

FeedServer::FeedServer() {
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

void FeedServer::serve(const QByteArray& body, bool announceLength) {
    m_response = "HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nConnection: close\r\n";
    if (announceLength)
        m_response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    m_response += "\r\n" + body;
}

void FeedServer::redirect(const QUrl& target) {
    m_response = "HTTP/1.1 302 Found\r\nLocation: " + target.toEncoded() +
                 "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

QUrl FeedServer::address() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(serverPort()));
}

} // namespace tisko::test
