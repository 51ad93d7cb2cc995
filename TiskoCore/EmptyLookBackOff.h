// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace tisko {

// Slows the clock's looks while nobody is seen: after a few clock looks in a row that found
// nobody, only one tick in several looks, until a look sees somebody again.
class EmptyLookBackOff {
public:
    // Clock looks that found nobody before the back-off starts.
    static constexpr int emptyLooksBeforeBackOff = 3;
    // Ticks skipped between two looks during the back-off.
    static constexpr int ticksSkippedInBackOff = 4;

    // What a look's outcome changed, for the log.
    enum class Change { none, started, ended };

    // Asks at a clock tick; false when the tick is to be skipped (and counted as skipped).
    bool mayLook();
    // Records a look that was judged: whether it saw somebody and whether the clock asked
    // for it (only the clock's empty looks count towards the back-off).
    Change record(bool sawSomebody, bool byTheClock);

    bool active() const { return m_emptyLooksInARow >= emptyLooksBeforeBackOff; }
    int emptyLooksInARow() const { return m_emptyLooksInARow; }
    int ticksSkipped() const { return m_ticksSkipped; }

private:
    int m_emptyLooksInARow = 0;
    int m_ticksSkipped = 0;
};

} // namespace tisko
