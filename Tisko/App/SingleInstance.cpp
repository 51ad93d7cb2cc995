// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/App/SingleInstance.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/PrivateFiles.h"
#include "Tisko/Support/Storage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tisko {

namespace {

constexpr qsizetype longestWord = 32;
// A word and the launch's activation token: " token=" and at most maxToken bytes.
constexpr qsizetype maxToken = 256;
constexpr qsizetype longestRequest = longestWord + 7 + maxToken;
const QByteArray tokenField = QByteArrayLiteral(" token=");
// "settings", then a space and the page's name when one is asked for.
const QByteArray settingsWord = QByteArrayLiteral("settings");
constexpr int quietPeerMs = 2000;

// An activation token as launchers make them: printable ASCII without spaces (an X11 startup
// id, a Wayland token), so it cannot end the line or add a field.
bool plainToken(const QByteArray& token) {
    if (token.isEmpty() || token.size() > maxToken)
        return false;
    return std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7f; });
}

// Splits "WORD token=TOKEN" into the word and the token (empty when none, or not plain).
std::pair<QByteArray, QByteArray> splitToken(const QByteArray& line) {
    const qsizetype at = line.indexOf(tokenField);
    if (at < 0)
        return {line, {}};
    const QByteArray token = line.mid(at + tokenField.size());
    return {line.left(at), plainToken(token) ? token : QByteArray()};
}

std::optional<SingleInstance::Request> requestFor(const QByteArray& word) {
    using Request = SingleInstance::Request;
    for (const Request request :
         {Request::show, Request::check, Request::resume, Request::pauseUntilTomorrow}) {
        if (word == SingleInstance::wordFor(request))
            return request;
    }
    return std::nullopt;
}

// The minutes of a "pause N" line; nothing for another line.
std::optional<unsigned> pauseMinutesIn(const QByteArray& line) {
    if (!line.startsWith("pause "))
        return std::nullopt;
    bool ok = false;
    const unsigned minutes = line.mid(6).toUInt(&ok);
    return ok ? std::optional(minutes) : std::nullopt;
}

// The page a settings request asks for ("" for the page left); nothing for another word.
std::optional<QString> settingsTabIn(const QByteArray& line) {
    if (line == settingsWord)
        return QString();
    if (!line.startsWith(settingsWord + ' '))
        return std::nullopt;
    return QString::fromUtf8(line.mid(settingsWord.size() + 1).trimmed());
}

// Whether `folder` is a folder of this user that no other user may enter or write.
bool isPrivateFolder(const QString& folder) {
    struct stat status {};
    return ::stat(QFile::encodeName(folder).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

// The user behind the other end of a local socket; absent when the kernel does not say.
std::optional<uid_t> peerUser(qintptr descriptor) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) !=
        0)
        return std::nullopt;
    return credentials.uid;
}

QString userText(std::optional<uid_t> user) {
    return user ? QString::number(*user) : QStringLiteral("desconocido");
}

} // namespace

SingleInstance::SingleInstance(QString lockPath, QString serverName, QObject* parent)
    : QObject(parent)
    , m_lockPath(std::move(lockPath))
    , m_serverName(std::move(serverName)) {}

SingleInstance::~SingleInstance() {
    if (m_server)
        m_server->close();
    // Closing the file lets go of the lock; the file stays for the next Tisko.
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstance::privateFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime))
        return runtime;
    // No runtime folder of our own: never the shared temporary folder, where another user
    // could take the names first, but a folder of the state home that only we can enter.
    const QString own = QFileInfo(Log::filePath()).absolutePath() + QStringLiteral("/instance");
    PrivateFiles::makeFolder(own);
    struct stat status {};
    const QByteArray path = QFile::encodeName(own);
    if (::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
        status.st_uid == ::geteuid())
        ::chmod(path.constData(), 0700);
    if (isPrivateFolder(own))
        return own;
    Log::error(QStringLiteral("No hay carpeta privada para el canal de instancia única (") + own +
               QStringLiteral("): no compruebo si ya hay otro Tisko en marcha"));
    return {};
}

std::unique_ptr<SingleInstance> SingleInstance::forDataFolder(QObject* parent) {
    const QString folder = privateFolder();
    if (folder.isEmpty())
        return std::make_unique<SingleInstance>(QString(), QString(), parent);
    // One lock and one socket per data folder: the data folder may be read-only, and Tisko
    // still runs then. The hash keeps the socket path short.
    const QByteArray tag = QCryptographicHash::hash(QDir(Storage::folder()).absolutePath().toUtf8(),
                                                    QCryptographicHash::Sha1)
                               .toHex()
                               .left(16);
    const QString stem = folder + QStringLiteral("/tisko-") + QString::fromLatin1(tag);
    return std::make_unique<SingleInstance>(stem + QStringLiteral(".lock"),
                                            stem + QStringLiteral(".socket"), parent);
}

QByteArray SingleInstance::wordFor(Request request) {
    switch (request) {
    case Request::show:
        return QByteArrayLiteral("show");
    case Request::check:
        return QByteArrayLiteral("check");
    case Request::resume:
        return QByteArrayLiteral("resume");
    case Request::pauseUntilTomorrow:
        return QByteArrayLiteral("pause tomorrow");
    }
    return {};
}

bool SingleInstance::claim() {
    if (m_primary)
        return true;
    if (m_lockPath.isEmpty()) {
        m_primary = true; // no private folder: run unguarded rather than not at all
        return true;
    }
    const int fd = PrivateFiles::openRegular(QFile::encodeName(m_lockPath), O_RDWR | O_CREAT, 0600);
    if (fd < 0) {
        Log::error(QStringLiteral("No se puede abrir el cerrojo ") + m_lockPath +
                   QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // The kernel lets go of the lock when its holder ends, however it ends: a number left in
    // the file by a dead process never counts.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    ::fchmod(fd, 0600);
    const QByteArray holder = QByteArray::number(::getpid()) + '\n';
    if (::ftruncate(fd, 0) == 0)
        PrivateFiles::writeAll(fd, holder); // for people only; the lock is the flock
    m_lockFd = fd;
    // The lock is ours, so a socket left at this name belongs to a dead process.
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName)) {
        Log::error(QStringLiteral("No se puede abrir el canal de instancia única ") + m_serverName +
                   QStringLiteral(": ") + m_server->errorString());
        delete m_server;
        m_server = nullptr;
        ::close(m_lockFd);
        m_lockFd = -1;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    m_primary = true;
    return true;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const std::optional<uid_t> peer = peerUser(socket->socketDescriptor());
        if (peer != ::geteuid()) {
            Log::error(
                QStringLiteral("Canal de instancia única: rechazo una conexión del usuario ") +
                userText(peer));
            socket->abort();
            continue;
        }
        // Our own launches send their word at once; a peer that keeps quiet is dropped.
        QTimer::singleShot(quietPeerMs, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                // A peer that sends a long line without an end is not one of ours.
                if (socket->bytesAvailable() > longestRequest)
                    socket->abort();
                return;
            }
            const auto [word, token] = splitToken(socket->readLine(longestRequest + 1).trimmed());
            const std::optional<Request> request = requestFor(word);
            const std::optional<QString> tab = settingsTabIn(word);
            const std::optional<unsigned> minutes = pauseMinutesIn(word);
            socket->write(request || tab || minutes ? QByteArrayLiteral("ok\n")
                                                    : QByteArrayLiteral("?\n"));
            socket->flush();
            socket->disconnectFromServer();
            if (request || tab || minutes)
                Q_EMIT handedOver(token);
            if (request)
                Q_EMIT requested(*request);
            if (tab)
                Q_EMIT settingsRequested(*tab);
            if (minutes)
                Q_EMIT pauseRequested(*minutes);
        });
    }
}

bool SingleInstance::forward(Request request, int timeoutMs) {
    return send(wordFor(request), timeoutMs) == QByteArrayLiteral("ok");
}

bool SingleInstance::forwardPause(unsigned minutes, int timeoutMs) {
    return send(QByteArrayLiteral("pause ") + QByteArray::number(minutes), timeoutMs) ==
           QByteArrayLiteral("ok");
}

bool SingleInstance::forwardSettings(const QString& tab, int timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    // Only a plain word travels: a line break in the page's name must not make a second request.
    static const QRegularExpression plainWord(QStringLiteral("^[a-z]{1,20}$"));
    QByteArray line = settingsWord;
    if (plainWord.match(tab).hasMatch())
        line += ' ' + tab.toLatin1();
    else if (!tab.isEmpty())
        line += QByteArrayLiteral(" ?"); // the running one takes it for the first page
    const std::optional<QByteArray> answer = send(line, timeoutMs);
    if (answer == QByteArrayLiteral("?"))
        return forward(Request::show, std::max(0, timeoutMs - int(elapsed.elapsed())));
    return answer == QByteArrayLiteral("ok");
}

std::optional<QByteArray> SingleInstance::send(const QByteArray& line, int timeoutMs) {
    if (!plainToken(m_activationToken))
        return sendLine(line, timeoutMs);
    QElapsedTimer elapsed;
    elapsed.start();
    // A running Tisko from before tokens travelled does not know the line: the word alone.
    const std::optional<QByteArray> answer =
        sendLine(line + tokenField + m_activationToken, timeoutMs);
    if (answer != QByteArrayLiteral("?"))
        return answer;
    return sendLine(line, std::max(0, timeoutMs - int(elapsed.elapsed())));
}

std::optional<QByteArray> SingleInstance::sendLine(const QByteArray& line, int timeoutMs) {
    if (m_serverName.isEmpty())
        return std::nullopt;
    QElapsedTimer elapsed;
    elapsed.start();
    // The running Tisko may hold the lock a moment before it listens: try again until the
    // time is up.
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        const auto left = [&] { return std::max(0, timeoutMs - int(elapsed.elapsed())); };
        if (socket.waitForConnected(left())) {
            const std::optional<uid_t> peer = peerUser(socket.socketDescriptor());
            if (peer != ::geteuid()) {
                Log::error(QStringLiteral("El canal de instancia única es del usuario ") +
                           userText(peer) + QStringLiteral(": no le paso nada"));
                return std::nullopt;
            }
            socket.write(line + '\n');
            if (!socket.waitForBytesWritten(left()))
                return std::nullopt;
            while (!socket.canReadLine()) {
                if (!socket.waitForReadyRead(left()))
                    return std::nullopt;
            }
            return socket.readLine(longestRequest).trimmed();
        }
        if (left() == 0)
            return std::nullopt;
        QThread::msleep(50);
    }
}

} // namespace tisko
