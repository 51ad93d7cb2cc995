// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EmptyLookBackOff.h"

namespace tisko {

bool EmptyLookBackOff::mayLook() {
    if (!active())
        return true;
    if (++m_ticksSkipped <= ticksSkippedInBackOff)
        return false;
    m_ticksSkipped = 0;
    return true;
}

EmptyLookBackOff::Change EmptyLookBackOff::record(bool sawSomebody, bool byTheClock) {
    if (!sawSomebody) {
        if (!byTheClock)
            return Change::none;
        // Counting stops at the start, so a long absence cannot overflow it.
        if (active())
            return Change::none;
        return ++m_emptyLooksInARow == emptyLooksBeforeBackOff ? Change::started : Change::none;
    }
    const bool wasActive = active();
    m_emptyLooksInARow = 0;
    m_ticksSkipped = 0;
    return wasActive ? Change::ended : Change::none;
}

} // namespace tisko
