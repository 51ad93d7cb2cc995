#include <gtest/gtest.h>

#include "SessionHarness.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QThread>


namespace tisko::test {

::testing::AssertionResult insideHarness() {
    if (qgetenv("TISKO_HEADLESS_HARNESS") != "1" || !qEnvironmentVariableIsSet("DISPLAY") ||
        !qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS") || !qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS"))
        return ::testing::AssertionFailure()
               << "this integration test needs the headless desktop: run it as "
                  "tests/harness/run-headless ctest ... (or select it with -L integration there)";
    return ::testing::AssertionSuccess();
}

bool waitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds limit) {
    QElapsedTimer clock;
    clock.start();
    while (!predicate()) {
        if (clock.elapsed() >= limit.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

namespace {

QString pythonWithDBusMock() {
    for (const QString& candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
        if (probe.waitForFinished(10'000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
            return candidate;
    }
    return {};
}

bool nameOwned(const QString& name) {
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask.setArguments({name});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(ask, QDBus::Block, 1000);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

} // namespace

DBusMock::DBusMock(const QString& name, const QString& path, const QString& interface)
    : m_name(name), m_path(path), m_interface(interface) {
    static const QString python = pythonWithDBusMock();
    if (python.isEmpty())
        return;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // dbusmock logs every call; unread, the pipe would fill and stall the service.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start(python, {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"), name,
                             path, interface});
    if (!m_process.waitForStarted(5000))
        return;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10'000 && m_process.state() == QProcess::Running) {
        if (nameOwned(name)) {
            m_ready = true;
            return;
        }
        QThread::msleep(20);
    }
}

DBusMock::~DBusMock() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

bool DBusMock::addMethod(const QString& method, const QString& inSignature, const QString& outSignature,
                         const QString& code) {
    return callMock(QDBusConnection::sessionBus(), m_name, m_path, QStringLiteral("AddMethod"),
                    {m_interface, method, inSignature, outSignature, code});
}

bool DBusMock::addProperty(const QString& property, const QVariant& value) {
    return callMock(QDBusConnection::sessionBus(), m_name, m_path, QStringLiteral("AddProperty"),
                    {m_interface, property, QVariant::fromValue(QDBusVariant(value))});
}

bool callMock(QDBusConnection bus, const QString& service, const QString& path, const QString& method,
              const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.DBus.Mock"), method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        ADD_FAILURE() << "dbusmock " << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace tisko::test
