// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/WakeWatcher.h"

#include "Tisko/System/DBusQuery.h"

#include <ctime>

namespace tisko {

namespace {

// A second PrepareForSleep(false) within this time of the first, with no sleep announced in
// between, belongs to the same wake.
constexpr qint64 repeatWindowMs = 10'000;
// The suspended clock moves by a few milliseconds of drift; a real sleep moves it by more.
constexpr double sleepJumpSeconds = 2.0;

double seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

} // namespace

WakeWatcher::SuspendedClock WakeWatcher::realSuspendedSeconds() {
    return [] { return seconds(CLOCK_BOOTTIME) - seconds(CLOCK_MONOTONIC); };
}

WakeWatcher::WakeWatcher(QDBusConnection systemBus, QObject* parent, SuspendedClock suspended,
                         std::chrono::milliseconds pollInterval)
    : QObject(parent)
    , m_suspended(std::move(suspended)) {
    DBusQuery bus(systemBus, std::chrono::milliseconds(250));
    const std::optional<QVariant> hasLogind =
        bus.call(QStringLiteral("org.freedesktop.DBus"),  // service
                 QStringLiteral("/org/freedesktop/DBus"), // path
                 QStringLiteral("org.freedesktop.DBus"),  // interface
                 QStringLiteral("NameHasOwner"), {QStringLiteral("org.freedesktop.login1")});
    if (hasLogind && hasLogind->metaType().id() == QMetaType::Bool && hasLogind->toBool()) {
        m_usesLogind =
            systemBus.connect(QStringLiteral("org.freedesktop.login1"),         // service
                              QStringLiteral("/org/freedesktop/login1"),        // path
                              QStringLiteral("org.freedesktop.login1.Manager"), // interface
                              QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
    }
    if (!m_usesLogind && m_suspended) {
        m_lastSuspended = m_suspended();
        m_poll.setInterval(pollInterval);
        m_poll.setTimerType(Qt::VeryCoarseTimer);
        connect(&m_poll, &QTimer::timeout, this, &WakeWatcher::pollSuspendedClock);
        m_poll.start();
    }
}

void WakeWatcher::prepareForSleep(bool starting) {
    if (starting) {
        m_sleeping = true;
        return;
    }
    const bool repeat =
        !m_sleeping && m_sinceLastWake.isValid() && m_sinceLastWake.elapsed() < repeatWindowMs;
    m_sleeping = false;
    if (repeat)
        return;
    m_sinceLastWake.start();
    Q_EMIT woke();
}

void WakeWatcher::pollSuspendedClock() {
    const double suspended = m_suspended();
    const double jump = suspended - m_lastSuspended;
    m_lastSuspended = suspended;
    if (jump >= sleepJumpSeconds)
        Q_EMIT woke();
}

} // namespace tisko
