#include "NotificationTestServers.h"

#include "Tisko/Support/Log.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace tisko::test {

namespace {

// dbusmock lives in the Debian package of the system interpreter.
const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");

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
    m_process.start(kPython, arguments);
    m_running = waitUntil(
        [&] { return m_process.state() != QProcess::NotRunning && bus.owns(kNotifications); },
        std::chrono::seconds(15));
}

MockNotificationServer::~MockNotificationServer() {
    endProcess(m_process);
}

QStringList MockNotificationServer::calls(const QString& method) const {
    QFile file(m_dir.filePath(QStringLiteral("calls")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList found;
    const QString marker = QLatin1Char(' ') + method;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        // Each line: a time stamp, the method and its arguments.
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        if (space < 0 || line.mid(space, marker.size()) != marker)
            continue;
        const QString rest = line.mid(space + marker.size());
        if (rest.isEmpty() || rest.startsWith(QLatin1Char(' ')))
            found << rest.trimmed();
    }
    return found;
}

DunstServer::DunstServer(const PrivateBus& bus)
    : m_bus(bus) {
    const QString config = m_dir.filePath(QStringLiteral("dunstrc"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    // Nothing times out during a test; clicks run the default action.
    file.write("[global]\n"
               "    font = DejaVu Sans 11\n"
               "    width = 420\n"
               "    origin = top-right\n"
               "    offset = 20x40\n"
               "    frame_width = 2\n"
               "    mouse_left_click = do_action, close_current\n"
               "[urgency_low]\n    timeout = 0\n"
               "[urgency_normal]\n    timeout = 0\n"
               "[urgency_critical]\n    timeout = 0\n");
    file.close();
    m_process.setProcessEnvironment(bus.environment());
    // Its complaints about missing icon themes stay out of the test's output.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("dunst.log")));
    m_process.start(QStringLiteral("dunst"), {QStringLiteral("-config"), config});
    m_running = waitUntil(
        [&] { return m_process.state() != QProcess::NotRunning && bus.owns(kNotifications); },
        std::chrono::seconds(10));
}

DunstServer::~DunstServer() {
    endProcess(m_process);
}

QByteArray DunstServer::control(const QStringList& arguments) const {
    QProcess dunstctl;
    dunstctl.setProcessEnvironment(m_bus.environment());
    dunstctl.start(QStringLiteral("dunstctl"), arguments);
    dunstctl.waitForFinished(5000);
    return dunstctl.readAllStandardOutput();
}

bool DunstServer::showing(int count) const {
    const bool shown = waitUntil([&] { return displayedCount() == count; });
    spin(std::chrono::milliseconds(200));
    return shown && displayedCount() == count;
}

int DunstServer::displayedCount() const {
    bool ok = false;
    const int count =
        control({QStringLiteral("count"), QStringLiteral("displayed")}).trimmed().toInt(&ok);
    return ok ? count : -1;
}

QJsonArray DunstServer::closeAllAndReadHistory() const {
    control({QStringLiteral("close-all")});
    const QJsonDocument history = QJsonDocument::fromJson(control({QStringLiteral("history")}));
    // {"type": "aa{sv}", "data": [[ {...}, {...} ]]}
    return history.object().value(QStringLiteral("data")).toArray().at(0).toArray();
}

void NotificationBusTest::SetUp() {
    application();
    Log::restartForTesting();
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
}

void NotificationBusTest::TearDown() {
    center.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("tisko"));
    Log::restartForTesting();
}

void NotificationBusTest::startCenter() {
    center = std::make_unique<DBusNotificationCenter>(
        bus.connect(QStringLiteral("tisko")), NotificationSwitch(QStringLiteral(TISKO_APP_ID), {}));
}

} // namespace tisko::test
