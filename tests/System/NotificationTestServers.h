// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "EventLoop.h"

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tisko::test {

// A dbus-daemon of its own, with no service files, so nothing is started behind the test's
// back. Ended by PID when the object goes.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the daemon did not start.
    const QString& address() const { return m_address; }
    // A new connection to the bus under its own name.
    QDBusConnection connect(const QString& name) const;
    // Whether some client owns `service` on this bus.
    bool owns(const QString& service) const;
    // The environment for a program that should use this bus as its session bus.
    QProcessEnvironment environment() const;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

} // namespace tisko::test
