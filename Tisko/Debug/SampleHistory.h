// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/DailyTally.h"

namespace tisko {

// A month of counts that never changes, for pictures of the history window: weekdays with
// fewer bad checks as the weeks go by, empty weekends but one, and a day off.
struct SampleHistory {
    SampleHistory() = delete;

    // Tuesday 1 December 2026, midday UTC: the last day of the month below.
    static Date today();
    // The 30 days up to today, in UTC days.
    static DailyTally month();
};

} // namespace tisko
