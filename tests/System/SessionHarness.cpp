// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SessionHarness.h"
#include "DBusMockCall.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace tisko::test {

::testing::AssertionResult insideHarness() {
    if (qgetenv("TISKO_HEADLESS_HARNESS") != "1" || !qEnvironmentVariableIsSet("DISPLAY") ||
        !qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS") ||
        !qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS"))
        return ::testing::AssertionFailure()
               << "this integration test needs the headless desktop: run it as "
                  "tests/harness/run-headless ctest ... (or select it with -L integration there)";
    return ::testing::AssertionSuccess();
}

DBusMock::DBusMock(const QString& name, const QString& path, const QString& interface,
                   const QString& python)
    : m_name(name)
    , m_path(path)
    , m_interface(interface) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // dbusmock logs every call; unread, the pipe would fill and stall the service.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    // dbusmock comes with the Debian package of the system's interpreter.
    m_process.start(python, {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                             QStringLiteral("--session"), name, path, interface});
    m_ready = m_process.waitForStarted(5000) &&
              waitUntil(
                  [&] {
                      return m_process.state() == QProcess::Running &&
                             QDBusConnection::sessionBus().interface()->isServiceRegistered(name);
                  },
                  std::chrono::seconds(10));
}

DBusMock::~DBusMock() {
    endProcess(m_process);
}

bool DBusMock::addMethod(const QString& method, const QString& inSignature,
                         const QString& outSignature, const QString& code) {
    return callMock(QDBusConnection::sessionBus(), m_name, m_path, QStringLiteral("AddMethod"),
                    {m_interface, method, inSignature, outSignature, code});
}

bool DBusMock::addProperty(const QString& property, const QVariant& value) {
    return callMock(QDBusConnection::sessionBus(), m_name, m_path, QStringLiteral("AddProperty"),
                    {m_interface, property, QVariant::fromValue(QDBusVariant(value))});
}

bool callMock(QDBusConnection bus, const QString& service, const QString& path,
              const QString& method, const QVariantList& arguments) {
    const QDBusMessage reply = callDBusMock(bus, service, path, method, arguments);
    if (reply.type() != QDBusMessage::ReplyMessage)
        ADD_FAILURE() << "dbusmock " << method.toStdString() << ": "
                      << reply.errorMessage().toStdString();
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace tisko::test
