// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace tisko {

// Tells when the machine wakes from sleep: logind's PrepareForSleep(false) on the system
// bus, or, where there is no logind, a jump of the time spent suspended
// (CLOCK_BOOTTIME − CLOCK_MONOTONIC). logind may announce one wake twice; it is told once.
class WakeWatcher : public QObject {
    Q_OBJECT
public:
    // Reads the seconds the machine has spent suspended since boot.
    using SuspendedClock = std::function<double()>;

    // Listens on the given system bus; without logind there, reads the suspended clock once a
    // minute (a wake is told up to a minute late, and an idle Tisko wakes up no more for it).
    explicit WakeWatcher(QDBusConnection systemBus, QObject* parent = nullptr,
                         SuspendedClock suspended = realSuspendedSeconds(),
                         std::chrono::milliseconds pollInterval = std::chrono::minutes(1));

    // CLOCK_BOOTTIME − CLOCK_MONOTONIC in seconds.
    static SuspendedClock realSuspendedSeconds();
    // True when the wakes come from logind, false when from the suspended clock.
    bool usesLogind() const { return m_usesLogind; }

Q_SIGNALS:
    // The machine has just woken from sleep.
    void woke();

private Q_SLOTS:
    void prepareForSleep(bool starting);

private:
    void pollSuspendedClock();

    bool m_usesLogind = false;
    bool m_sleeping = false;
    QElapsedTimer m_sinceLastWake;
    SuspendedClock m_suspended;
    double m_lastSuspended = 0.0;
    QTimer m_poll;
};

} // namespace tisko
