// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/Monitor.h"

#include "Tisko/Monitor/CheckLog.h"
#include "Tisko/Support/Log.h"

// Pauses, settings taken into use, and the head tracker whose held forward tilt asks for
// a look.

namespace tisko {

void Monitor::setPause(std::optional<Date> until) {
    m_services.store->setPausedUntil(until);
    Log::info(CheckLog::pause(until));
    refreshState();
}

void Monitor::pauseUntilTomorrow() {
    setPause(m_services.clock->startOfNextDay(now()));
}

void Monitor::applySettings() {
    m_policy.cooldown = m_services.store->cooldown();
    scheduleClock();
    updateAirPods();
}

void Monitor::updateAirPods() {
    MotionSource& motion = *m_services.motion;
    if (m_services.store->useAirPods() && !motion.permissionDenied()) {
        motion.start();
        return;
    }
    motion.stop();
    setAirPodsConnected(false);
}

void Monitor::handlePitch(double pitch) {
    if (m_state.kind() != State::Kind::watching)
        return;
    std::optional<double> reference = m_goodPitch;
    if (!reference) {
        const std::optional<Calibration> active = m_book.active();
        if (!active || !active->headPitch)
            return;
        reference = active->headPitch;
    }
    if (!m_tilt.update(pitch, *reference, now()))
        return;
    Log::info(CheckLog::tilt(*reference - pitch));
    look(Trigger::airPods);
}

} // namespace tisko
