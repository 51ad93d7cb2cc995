// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/Date.h"

#include <chrono>
#include <optional>

namespace tisko {

// When the next scheduled update check is due: an interval after the last check, stretched
// or shortened by a jitter so that many installations do not ask the feed at the same
// moment, and never sooner than a grace period after launch.
class UpdateSchedule {
public:
    // The interval between checks.
    static constexpr std::chrono::hours interval{6};
    // The largest share of the interval the jitter adds or takes away.
    static constexpr double jitterShare = 0.1;
    // The quiet time after launch before the first check.
    static constexpr std::chrono::minutes launchGrace{1};

    UpdateSchedule() = delete;

    // The due time, given the last check (absent when there was none), the launch, the time
    // now and a jitter from -1 to 1. A last check in the future (the clock was set back)
    // counts as a check now.
    static Date nextCheck(std::optional<Date> lastCheck, Date launch, Date now, double jitter);
};

} // namespace tisko
