// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/App/ScriptingService.h"

#include "ScriptingAdaptor.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Support/Log.h"
#include "Tisko/System/NotificationStatus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDateTime>

#include <algorithm>
#include <chrono>

namespace tisko {

namespace {

const QString serviceName = QStringLiteral("io.github.tisko.Tisko");
const QString objectPath = QStringLiteral("/io/github/tisko/Tisko");
const QString interfaceName = QStringLiteral("io.github.tisko.Tisko1");

uint clampedCount(std::int64_t count) {
    return uint(std::clamp<std::int64_t>(count, 0, std::numeric_limits<uint>::max()));
}

} // namespace

ScriptingService::ScriptingService(Monitor& monitor, Windows windows, QObject* parent)
    : QObject(parent)
    , m_monitor(monitor)
    , m_windows(std::move(windows)) {
    new ScriptingAdaptor(this);
    // Several changes of one turn (a look ends: verdict, counts, state) go out as one signal.
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(0);
    connect(&m_coalesce, &QTimer::timeout, this, &ScriptingService::announceChanges);
    for (auto signal :
         {&Monitor::stateChanged, &Monitor::isLookingChanged, &Monitor::lastVerdictChanged,
          &Monitor::tallyChanged, &Monitor::bookChanged, &Monitor::lastCheckChanged})
        connect(&m_monitor, signal, this, &ScriptingService::scheduleAnnouncement);
    connect(&NotificationStatus::shared(), &NotificationStatus::stateChanged, this,
            &ScriptingService::scheduleAnnouncement);
    // The day's counts start again at midnight without any change in the Monitor.
    m_midnight.setSingleShot(true);
    connect(&m_midnight, &QTimer::timeout, this, [this] {
        announceChanges();
        scheduleMidnight();
    });
    scheduleMidnight();
    m_announced = snapshot();
}

ScriptingService::~ScriptingService() {
    if (!m_published)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(serviceName);
    bus.unregisterObject(objectPath);
}

bool ScriptingService::publish() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        Log::info(QStringLiteral("Sin bus de sesión: la interfaz D-Bus de Tisko no se publica"));
        return false;
    }
    if (!bus.registerObject(objectPath, this)) {
        Log::error(QStringLiteral("No se puede publicar el objeto D-Bus ") + objectPath);
        return false;
    }
    if (!bus.registerService(serviceName)) {
        Log::error(QStringLiteral("El nombre D-Bus ") + serviceName +
                   QStringLiteral(" ya es de otro programa: la interfaz de Tisko no se publica"));
        bus.unregisterObject(objectPath);
        return false;
    }
    m_published = true;
    return true;
}

QString ScriptingService::state() const {
    if (m_monitor.isLooking())
        return QStringLiteral("looking");
    switch (m_monitor.state().kind()) {
    case Monitor::State::Kind::paused:
        return QStringLiteral("paused");
    case Monitor::State::Kind::needsCalibration:
        return QStringLiteral("no-position");
    case Monitor::State::Kind::noCameraPermission:
        return QStringLiteral("camera-denied");
    case Monitor::State::Kind::noCamera:
        return QStringLiteral("no-camera");
    case Monitor::State::Kind::watching:
        break;
    }
    const std::optional<PostureVerdict> verdict = m_monitor.lastVerdict();
    if (verdict && verdict->kind() == PostureVerdict::Kind::away)
        return QStringLiteral("away");
    return QStringLiteral("watching");
}

QString ScriptingService::summary() const {
    return MenuBarLabel::toolTip(m_monitor);
}

qulonglong ScriptingService::pausedUntil() const {
    if (m_monitor.state().kind() != Monitor::State::Kind::paused)
        return 0;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        m_monitor.state().pausedUntil().time_since_epoch());
    return qulonglong(std::max<std::int64_t>(seconds.count(), 0));
}

QString ScriptingService::lastVerdict() const {
    const std::optional<PostureVerdict> verdict = m_monitor.lastVerdict();
    if (!verdict)
        return {};
    switch (verdict->kind()) {
    case PostureVerdict::Kind::fine:
        return QStringLiteral("fine");
    case PostureVerdict::Kind::tooClose:
        return QStringLiteral("too-close");
    case PostureVerdict::Kind::slouching:
        return QStringLiteral("slouching");
    case PostureVerdict::Kind::away:
        return QStringLiteral("away");
    }
    return {};
}

uint ScriptingService::warningsToday() const {
    return clampedCount(m_monitor.tally().day(m_monitor.now(), m_monitor.calendar()).alerts());
}

uint ScriptingService::checksToday() const {
    return clampedCount(m_monitor.tally().day(m_monitor.now(), m_monitor.calendar()).checks);
}

QString ScriptingService::activePosition() const {
    const std::optional<Calibration> active = m_monitor.book().active();
    return active ? QString::fromStdString(active->name) : QString();
}

void ScriptingService::CheckNow() {
    m_monitor.look(Monitor::Trigger::manual);
}

void ScriptingService::Pause(uint minutes) {
    if (minutes == 0 || minutes > longestPauseMinutes) {
        refuse(QStringLiteral("Se rechaza una pausa de %1 minutos: va de 1 a %2")
                   .arg(minutes)
                   .arg(longestPauseMinutes),
               QStringLiteral("A pause lasts from 1 to %1 minutes").arg(longestPauseMinutes));
        return;
    }
    m_monitor.setPause(m_monitor.now() + std::chrono::minutes(minutes));
}

void ScriptingService::PauseUntilTomorrow() {
    m_monitor.pauseUntilTomorrow();
}

void ScriptingService::Resume() {
    m_monitor.setPause(std::nullopt);
}

void ScriptingService::ShowPanel() {
    m_windows.panel();
}

void ScriptingService::ShowSettings(const QString& page) {
    if (page.isEmpty()) {
        m_windows.settings(std::nullopt);
        return;
    }
    const std::optional<SettingsTab> tab = settingsTabFromRaw(page);
    if (!tab) {
        // Only the start of a stranger's text goes to the log, on one line.
        const QString shown = page.left(40).simplified();
        refuse(QStringLiteral("Se rechaza abrir los ajustes en una página que no existe: ") + shown,
               QStringLiteral("Unknown page \"%1\": general, detection, positions or permissions")
                   .arg(shown));
        return;
    }
    m_windows.settings(tab);
}

void ScriptingService::ShowHistory() {
    m_windows.history();
}

void ScriptingService::NewPosition() {
    m_windows.newPosition();
}

QVariantMap ScriptingService::snapshot() const {
    return {{QStringLiteral("State"), state()},
            {QStringLiteral("Summary"), summary()},
            {QStringLiteral("PausedUntil"), pausedUntil()},
            {QStringLiteral("LastVerdict"), lastVerdict()},
            {QStringLiteral("WarningsToday"), warningsToday()},
            {QStringLiteral("ChecksToday"), checksToday()},
            {QStringLiteral("ActivePosition"), activePosition()}};
}

void ScriptingService::scheduleAnnouncement() {
    m_coalesce.start();
}

void ScriptingService::announceChanges() {
    const QVariantMap now = snapshot();
    QVariantMap changed;
    for (auto at = now.cbegin(); at != now.cend(); ++at) {
        if (m_announced.value(at.key()) != at.value())
            changed.insert(at.key(), at.value());
    }
    m_announced = now;
    if (changed.isEmpty() || !m_published)
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << interfaceName << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void ScriptingService::scheduleMidnight() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime midnight = now.date().addDays(1).startOfDay();
    // A second past midnight, so the new day has begun on every clock that names it.
    m_midnight.start(std::chrono::milliseconds(now.msecsTo(midnight) + 1000));
}

void ScriptingService::refuse(const QString& logLine, const QString& answer) {
    Log::error(logLine);
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, answer);
}

} // namespace tisko
