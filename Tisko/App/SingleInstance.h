// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QLocalServer;

namespace tisko {

// Keeps one Tisko per data folder, so that only one process ever writes the data files.
// The first process takes a lock on a file (flock, so a holder that died never counts) and
// listens on a local socket; a later one finds the lock taken and hands its request over
// the socket instead. Both live in a folder only the user can enter, and each end of the
// socket talks only to a peer of the same user.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // What a later launch asks of the running Tisko.
    enum class Request { show, check, resume, pauseUntilTomorrow };

    // `lockPath` is the lock file, `serverName` the local socket path; their folder should be
    // private to the user. An empty `lockPath` means there is no such folder: claim() then
    // succeeds without a guard.
    SingleInstance(QString lockPath, QString serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // A lock and a socket named after the data folder (which need not be writable), in the
    // runtime folder when it is private to the user, else in a private folder of the state
    // home.
    static std::unique_ptr<SingleInstance> forDataFolder(QObject* parent = nullptr);
    // The private folder forDataFolder() uses; empty (and one line logged) when none can be had.
    static QString privateFolder();

    // Tries to become the running Tisko: takes the lock and starts listening. False when
    // another live process holds the lock, or when the socket cannot be opened.
    bool claim();
    // From a later launch: hands the request to the running Tisko and waits for its answer,
    // at most `timeoutMs`. True when the running one, of the same user, took it.
    bool forward(Request request, int timeoutMs = 5000);
    // From a later launch: asks the running Tisko to open its settings at `tab` (any text;
    // the running one takes an unknown page for the first), or at the page left when `tab` is
    // empty. A running Tisko too old to know this request is asked to show itself instead.
    bool forwardSettings(const QString& tab, int timeoutMs = 5000);

    // From a later launch: asks the running Tisko to pause for `minutes`.
    bool forwardPause(unsigned minutes, int timeoutMs = 5000);

    // The token a later launch got from the desktop to take the focus (XDG_ACTIVATION_TOKEN,
    // DESKTOP_STARTUP_ID), sent with each request so the running Tisko may use it.
    void setActivationToken(const QByteArray& token) { m_activationToken = token; }

    // Whether claim() succeeded.
    bool isPrimary() const { return m_primary; }
    const QString& lockPath() const { return m_lockPath; }
    const QString& serverName() const { return m_serverName; }

    // The line a request travels as ("show", "check", "resume", "pause tomorrow").
    static QByteArray wordFor(Request request);

Q_SIGNALS:
    // A later launch's request came, with its activation token (empty when it had none);
    // sent just before the request's own signal.
    void handedOver(const QByteArray& activationToken);
    // A later launch asked for something.
    void requested(tisko::SingleInstance::Request request);
    // A later launch asked for the settings at `tab` (empty: the page left; any other text as
    // sent, unchecked).
    void settingsRequested(const QString& tab);
    // A later launch asked for a pause of `minutes` (any number the line carried, unchecked).
    void pauseRequested(unsigned minutes);

private:
    void acceptConnections();
    // Sends one request line and returns the running Tisko's answer line; nothing when no
    // running Tisko of this user answered in time.
    std::optional<QByteArray> send(const QByteArray& line, int timeoutMs);
    std::optional<QByteArray> sendLine(const QByteArray& line, int timeoutMs);

    QString m_lockPath;
    QString m_serverName;
    int m_lockFd = -1;
    QLocalServer* m_server = nullptr;
    bool m_primary = false;
    QByteArray m_activationToken;
};

} // namespace tisko
