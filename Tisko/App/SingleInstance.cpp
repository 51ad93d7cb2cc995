#include "Tisko/App/SingleInstance.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/Storage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QStandardPaths>
#include <QThread>

namespace tisko {

namespace {

constexpr qsizetype longestRequest = 16;

std::optional<SingleInstance::Request> requestFor(const QByteArray& word) {
    if (word == "show")
        return SingleInstance::Request::show;
    if (word == "check")
        return SingleInstance::Request::check;
    return std::nullopt;
}

} // namespace

SingleInstance::SingleInstance(QString lockPath, QString serverName, QObject* parent)
    : QObject(parent)
    , m_lockPath(std::move(lockPath))
    , m_serverName(std::move(serverName))
    , m_lock(m_lockPath) {
    // Only a lock whose process is gone counts as stale, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (m_server)
        m_server->close();
    if (m_primary)
        m_lock.unlock();
}

std::unique_ptr<SingleInstance> SingleInstance::forDataFolder(QObject* parent) {
    const QString folder = Storage::folder();
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    // One lock and one socket per data folder, both in the runtime folder: the data folder
    // may be read-only, and Tisko still runs then. The hash keeps the socket path short.
    const QByteArray tag =
        QCryptographicHash::hash(QDir(folder).absolutePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    const QString stem = runtime + QStringLiteral("/tisko-") + QString::fromLatin1(tag);
    return std::make_unique<SingleInstance>(stem + QStringLiteral(".lock"),
                                            stem + QStringLiteral(".socket"), parent);
}

QByteArray SingleInstance::wordFor(Request request) {
    switch (request) {
    case Request::show:
        return QByteArrayLiteral("show");
    case Request::check:
        return QByteArrayLiteral("check");
    }
    return {};
}

bool SingleInstance::claim() {
    if (m_primary)
        return true;
    // tryLock removes a lock whose process has died and takes it.
    if (!m_lock.tryLock(0))
        return false;
    // The lock is ours, so a socket left at this name belongs to a dead process.
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName)) {
        Log::error(QStringLiteral("No se puede abrir el canal de instancia única ") + m_serverName +
                   QStringLiteral(": ") + m_server->errorString());
        delete m_server;
        m_server = nullptr;
        m_lock.unlock();
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    m_primary = true;
    return true;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // Our own launches send their word at once; a peer that keeps quiet is dropped.
        QTimer::singleShot(2000, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                // A peer that sends a long line without an end is not one of ours.
                if (socket->bytesAvailable() > longestRequest)
                    socket->abort();
                return;
            }
            const QByteArray word = socket->readLine(longestRequest + 1).trimmed();
            const std::optional<Request> request = requestFor(word);
            socket->write(request ? QByteArrayLiteral("ok\n") : QByteArrayLiteral("?\n"));
            socket->flush();
            socket->disconnectFromServer();
            if (request)
                Q_EMIT requested(*request);
        });
    }
}

bool SingleInstance::forward(Request request, int timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    // The running Tisko may hold the lock a moment before it listens: try again until the
    // time is up.
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        const auto left = [&] { return std::max(0, timeoutMs - int(elapsed.elapsed())); };
        if (socket.waitForConnected(left())) {
            socket.write(wordFor(request) + '\n');
            if (!socket.waitForBytesWritten(left()))
                return false;
            while (!socket.canReadLine()) {
                if (!socket.waitForReadyRead(left()))
                    return false;
            }
            return socket.readLine(longestRequest).trimmed() == "ok";
        }
        if (left() == 0)
            return false;
        QThread::msleep(50);
    }
}

} // namespace tisko
