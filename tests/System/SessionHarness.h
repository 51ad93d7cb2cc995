// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "EventLoop.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QVariant>

namespace tisko::test {

// Integration tests run inside tests/harness/run-headless. The session tests' main asks first
// and stops with a clear message elsewhere, so nothing talks to the user's own desktop or buses.
::testing::AssertionResult insideHarness();

// One python3-dbusmock object served on the harness's session bus for the life of the
// object, ended by its PID afterwards.
class DBusMock {
public:
    // Owns the name and serves an empty object at path with the interface, run by `python`
    // (a link to the interpreter gives the service another process name).
    DBusMock(const QString& name, const QString& path, const QString& interface,
             const QString& python = QStringLiteral("/usr/bin/python3"));
    ~DBusMock();
    DBusMock(const DBusMock&) = delete;
    DBusMock& operator=(const DBusMock&) = delete;

    // True once the name is owned on the bus.
    bool isReady() const { return m_ready; }
    // Adds a method whose reply is computed by the python code (dbusmock's AddMethod).
    bool addMethod(const QString& method, const QString& inSignature, const QString& outSignature,
                   const QString& code);
    // Adds a property with the given value (dbusmock's AddProperty).
    bool addProperty(const QString& property, const QVariant& value);

private:
    QString m_name;
    QString m_path;
    QString m_interface;
    QProcess m_process;
    bool m_ready = false;
};

// Calls a method of dbusmock's control interface org.freedesktop.DBus.Mock; true on success.
bool callMock(QDBusConnection bus, const QString& service, const QString& path,
              const QString& method, const QVariantList& arguments);

} // namespace tisko::test
