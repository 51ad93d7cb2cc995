#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QUrl>

namespace tisko::test {

// A one-page HTTP server on 127.0.0.1 that answers every request with the response the test
// sets, then closes the connection.
class FeedServer : public QTcpServer {
public:
    FeedServer();

    // Answers 200 with `body`, announcing its length unless `announceLength` is false.
    void serve(const QByteArray& body, bool announceLength = true);
    // Answers a redirect to `target`.
    void redirect(const QUrl& target);
    // The address of the feed on this server.
    QUrl address() const;
    // How many requests arrived.
    int requests() const { return m_requests; }

private:
    QByteArray m_response;
    int m_requests = 0;
};

} // namespace tisko::test
