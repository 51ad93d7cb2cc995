// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiltTrigger.h"

namespace tisko {

bool TiltTrigger::update(double pitch, double reference, Date now) {
    if (m_lastFire && *m_lastFire > now)
        m_lastFire = now;
    if (m_tiltedSince && *m_tiltedSince > now)
        m_tiltedSince = now;
    // Written so that a reading that is not a number never counts as a tilt.
    if (!(reference - pitch >= m_threshold)) {
        m_tiltedSince.reset();
        return false;
    }
    if (!m_tiltedSince)
        m_tiltedSince = now;
    if (secondsBetween(*m_tiltedSince, now) < m_holdFor)
        return false;
    if (m_lastFire && secondsBetween(*m_lastFire, now) < m_minimumGap)
        return false;
    m_lastFire = now;
    m_tiltedSince.reset();
    return true;
}

} // namespace tisko
