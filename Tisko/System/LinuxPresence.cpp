// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/LinuxPresence.h"

#include "Tisko/System/DBusQuery.h"
#include "Tisko/Support/Log.h"
#include "Tisko/System/SysfsDrm.h"
#include "Tisko/System/WaylandIdle.h"
#include "Tisko/System/X11Display.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace tisko {

namespace {

// A nudge younger than this means the companion is keeping the machine awake for someone.
constexpr qint64 nudgeWindowMs = 30'000;
// Clocks of two programs may differ a little; a nudge dated further ahead is a bad date,
// which would otherwise silence every clock look until the clock reached it.
constexpr qint64 nudgeAheadToleranceMs = 60'000;
constexpr double millisecondsPerSecond = 1000.0;
constexpr double microsecondsPerSecond = 1'000'000.0;

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString freedesktopSaver = QStringLiteral("org.freedesktop.ScreenSaver");

// Power save modes of Mutter's DisplayConfig: 0 on, 1 standby, 2 suspend, 3 off.
std::optional<bool> mutterAsleep(int mode) {
    if (mode == 0)
        return false;
    if (mode >= 1 && mode <= 3)
        return true;
    return std::nullopt;
}

// Only a date-time counts: a bare number or any other text is not a nudge.
std::optional<QDateTime> nudgeDate(const QVariant& value) {
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().isValid() ? std::optional(value.toDateTime()) : std::nullopt;
    if (value.metaType().id() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString().trimmed();
    if (!text.contains(u'T'))
        return std::nullopt;
    const QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

// Whether the process is one of KDE Plasma's (by its command name).
bool isKdeProcess(uint pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return false;
    const QByteArray name = comm.readLine(64).trimmed();
    for (const char* prefix : {"ksmserver", "kwin", "plasma", "kded", "org_kde"}) {
        if (name.startsWith(prefix))
            return true;
    }
    return false;
}

} // namespace

std::unique_ptr<Presence> Presence::create() {
    static const SysfsDrm drm;
    LinuxPresence::Sources sources{QDBusConnection::systemBus(),
                                   QDBusConnection::sessionBus(),
                                   qEnvironmentVariableIsSet("DISPLAY") ? &X11Display::shared()
                                                                        : nullptr,
                                   &drm,
                                   LinuxPresence::defaultCompanionSettingsPath(),
                                   [] { return QDateTime::currentDateTimeUtc(); }};
    sources.wayland = LinuxPresence::isWaylandSession();
    if (sources.wayland)
        sources.compositor = WaylandIdle::connect();
    return std::make_unique<LinuxPresence>(std::move(sources));
}

LinuxPresence::LinuxPresence(Sources sources)
    : m_sources(std::move(sources)) {
    if (!m_sources.now)
        m_sources.now = [] { return QDateTime::currentDateTimeUtc(); };
}

LinuxPresence::~LinuxPresence() = default;

QString LinuxPresence::defaultCompanionSettingsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tisko/Despierto.conf");
}

bool LinuxPresence::isWaylandSession() {
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QStringLiteral("wayland") ||
           !qEnvironmentVariable("WAYLAND_DISPLAY").isEmpty();
}

std::optional<double> LinuxPresence::x11IdleSeconds() {
    if (m_sources.x11 == nullptr)
        return std::nullopt;
    const std::optional<unsigned long> idle = m_sources.x11->idleMilliseconds();
    if (!idle)
        return std::nullopt;
    return static_cast<double>(*idle) / millisecondsPerSecond;
}

std::optional<double> LinuxPresence::secondsSinceLastInput() {
    QString source;
    const std::optional<double> idle = idleSeconds(source);
    if (!m_reportedSources.contains(source)) {
        m_reportedSources << source;
        Log::info(QStringLiteral("Tiempo sin teclado ni ratón: ") + source);
    }
    return idle;
}

std::optional<double> LinuxPresence::screenSaverIdleSeconds(DBusQuery& session) {
    const std::optional<QVariant> saverIdle =
        session.call(freedesktopSaver,                               // service
                     QStringLiteral("/org/freedesktop/ScreenSaver"), // path
                     freedesktopSaver,                               // interface
                     QStringLiteral("GetSessionIdleTime"));
    if (!saverIdle || saverIdle->metaType().id() != QMetaType::UInt)
        return std::nullopt;
    // KDE's screensaver hands on its idle time in milliseconds; the others count seconds.
    const std::optional<QVariant> owner = session.call(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"),
        {freedesktopSaver});
    if (!owner)
        return std::nullopt; // the unit is unknown: a wrong guess is off by a thousand
    const double value = static_cast<double>(saverIdle->toUInt());
    return isKdeProcess(owner->toUInt()) ? value / millisecondsPerSecond : value;
}

std::optional<double> LinuxPresence::idleSeconds(QString& source) {
    if (m_sources.wayland && m_sources.compositor) {
        source = QStringLiteral("el aviso de inactividad del compositor Wayland");
        if (const std::optional<double> idle = m_sources.compositor->idleSeconds())
            return idle;
    }
    DBusQuery session(m_sources.sessionBus, m_sources.budget);
    const std::optional<QVariant> mutterIdle =
        session.call(QStringLiteral("org.gnome.Mutter.IdleMonitor"),       // service
                     QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"), // path
                     QStringLiteral("org.gnome.Mutter.IdleMonitor"),       // interface
                     QStringLiteral("GetIdletime"));
    source = QStringLiteral("el IdleMonitor de Mutter");
    if (mutterIdle && mutterIdle->metaType().id() == QMetaType::ULongLong)
        return static_cast<double>(mutterIdle->toULongLong()) / millisecondsPerSecond;

    // Xwayland sees only the input to X11 windows: on a Wayland session its idle time would
    // take someone typing in a Wayland window for absent.
    if (!m_sources.wayland) {
        source = QStringLiteral("el servidor X (MIT-SCREEN-SAVER)");
        if (const std::optional<double> idle = x11IdleSeconds())
            return idle;
    }

    source = QStringLiteral("el salvapantallas de freedesktop");
    if (const std::optional<double> idle = screenSaverIdleSeconds(session))
        return idle;

    source = QStringLiteral("logind");
    DBusQuery system(m_sources.systemBus, m_sources.budget);
    const std::optional<QVariant> idleHint = system.property(
        logindService, sessionPath, sessionInterface, QStringLiteral("IdleHint"), QMetaType::Bool);
    if (idleHint && !idleHint->toBool())
        return 0.0;
    const std::optional<QVariant> since =
        idleHint ? system.property(logindService, sessionPath, sessionInterface,
                                   QStringLiteral("IdleSinceHint"), QMetaType::ULongLong)
                 : std::nullopt;
    if (!since) {
        source = QStringLiteral("nadie (se toma por presente)");
        return std::nullopt;
    }
    const double nowUs = static_cast<double>(m_sources.now().toMSecsSinceEpoch()) * 1000.0;
    const double sinceUs = static_cast<double>(since->toULongLong());
    return std::max(0.0, (nowUs - sinceUs) / microsecondsPerSecond);
}

bool LinuxPresence::mainDisplayAsleep() {
    DBusQuery session(m_sources.sessionBus, m_sources.budget);
    const std::optional<QVariant> mode =
        session.property(QStringLiteral("org.gnome.Mutter.DisplayConfig"),  // service
                         QStringLiteral("/org/gnome/Mutter/DisplayConfig"), // path
                         QStringLiteral("org.gnome.Mutter.DisplayConfig"),  // interface
                         QStringLiteral("PowerSaveMode"), QMetaType::Int);
    if (mode) {
        if (const std::optional<bool> asleep = mutterAsleep(mode->toInt()))
            return *asleep;
    }
    if (m_sources.x11 != nullptr) {
        if (const std::optional<bool> asleep = m_sources.x11->monitorAsleep())
            return *asleep;
    }
    if (m_sources.drm != nullptr) {
        if (const std::optional<bool> asleep = m_sources.drm->displaysAsleep())
            return *asleep;
    }
    return false;
}

bool LinuxPresence::companionKeepingAwake() {
    if (m_sources.companionSettingsPath.isEmpty())
        return false;
    const QSettings settings(m_sources.companionSettingsPath, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return false;
    const std::optional<QDateTime> nudge =
        nudgeDate(settings.value(QStringLiteral("keepAwakeLastNudge")));
    if (!nudge)
        return false;
    const qint64 age = nudge->msecsTo(m_sources.now());
    return age < nudgeWindowMs && age >= -nudgeAheadToleranceMs;
}

} // namespace tisko
