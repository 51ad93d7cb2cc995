// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NotificationTestServers.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace tisko::test {

namespace {

// dbusmock lives in the Debian package of the system interpreter.
const QString python3 = QStringLiteral("/usr/bin/python3");
const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");

} // namespace

PrivateBus::PrivateBus() {
    const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QStringLiteral(
                   "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                   "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                   "<auth>EXTERNAL</auth><policy context=\"default\">"
                   "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                   "<allow own=\"*\"/></policy></busconfig>\n")
                   .arg(m_dir.path())
                   .toUtf8());
    file.close();
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
    QDeadlineTimer deadline(5000);
    while (!m_daemon.canReadLine() && !deadline.hasExpired() &&
           m_daemon.state() != QProcess::NotRunning)
        m_daemon.waitForReadyRead(100);
    if (m_daemon.canReadLine())
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
}

PrivateBus::~PrivateBus() {
    endProcess(m_daemon);
}

QDBusConnection PrivateBus::connect(const QString& name) const {
    return QDBusConnection::connectToBus(m_address, name);
}

bool PrivateBus::owns(const QString& service) const {
    const QString name = QStringLiteral("owner-check");
    bool owned = false;
    {
        QDBusConnection connection = QDBusConnection::connectToBus(m_address, name);
        owned = connection.isConnected() && connection.interface()->isServiceRegistered(service);
    }
    QDBusConnection::disconnectFromBus(name);
    return owned;
}

QProcessEnvironment PrivateBus::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    return environment;
}

MockNotificationServer::MockNotificationServer(const PrivateBus& bus, const QString& capabilities) {
    QStringList arguments = {QStringLiteral("-m"),         QStringLiteral("dbusmock"),
                             QStringLiteral("--template"), QStringLiteral("notification_daemon"),
                             QStringLiteral("--logfile"),  m_dir.filePath(QStringLiteral("calls"))};
    if (!capabilities.isEmpty()) {
        const QJsonObject parameters{{QStringLiteral("capabilities"), capabilities}};
        arguments << QStringLiteral("--parameters")
                  << QString::fromUtf8(QJsonDocument(parameters).toJson(QJsonDocument::Compact));
    }
    m_process.setProcessEnvironment(bus.environment());
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python3, arguments);
    m_running = waitUntil(
        [&] { return m_process.state() != QProcess::NotRunning && bus.owns(notificationsService); },
        std::chrono::seconds(15));
}

MockNotificationServer::~MockNotificationServer() {
    endProcess(m_process);
}

QStringList MockNotificationServer::calls(const QString& method) const {
    QFile file(m_dir.filePath(QStringLiteral("calls")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Each line: a time stamp, the method and its arguments.
    const QRegularExpression call(u"^\\S+ "_qs + method + u"(?: (.*))?$"_qs);
    QStringList found;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (const QRegularExpressionMatch match = call.match(line); match.hasMatch())
            found << match.captured(1).trimmed();
    return found;
}

} // namespace tisko::test
