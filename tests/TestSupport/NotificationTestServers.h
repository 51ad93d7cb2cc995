// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "EventLoop.h"
#include "TestFiles.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tisko::test {

// A dbus-daemon of its own, with no service files, so nothing is started behind the test's
// back. Ended by PID when the object goes.
class PrivateBus {
public:
    PrivateBus() {
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        if (!writeFile(config,
                       QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                      "<auth>EXTERNAL</auth><policy context=\"default\">"
                                      "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                      "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                                      "</busconfig>\n")
                           .arg(m_dir.path())
                           .toUtf8()))
            return;
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        QDeadlineTimer deadline(5000);
        while (!m_daemon.canReadLine() && !deadline.hasExpired() &&
               m_daemon.state() != QProcess::NotRunning)
            m_daemon.waitForReadyRead(100);
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }
    ~PrivateBus() { endProcess(m_daemon); }

    // Empty when the daemon did not start.
    const QString& address() const { return m_address; }
    // A new connection to the bus under its own name.
    QDBusConnection connect(const QString& name) const {
        return QDBusConnection::connectToBus(m_address, name);
    }
    // Whether some client owns `service` on this bus.
    bool owns(const QString& service) const {
        const QString name = QStringLiteral("owner-check");
        const QDBusConnection bus = connect(name);
        const bool owned = bus.isConnected() && bus.interface()->isServiceRegistered(service);
        QDBusConnection::disconnectFromBus(name);
        return owned;
    }
    // The environment for a program that should use this bus as its session bus.
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        return environment;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

} // namespace tisko::test
