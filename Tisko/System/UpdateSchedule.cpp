// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/UpdateSchedule.h"

#include <algorithm>

namespace tisko {

Date UpdateSchedule::nextCheck(std::optional<Date> lastCheck, Date launch, Date now,
                               double jitter) {
    const Date earliest = launch + launchGrace;
    if (!lastCheck)
        return std::max(earliest, now);
    const double seconds = std::chrono::duration<double>(interval).count() *
                           (1.0 + jitterShare * std::clamp(jitter, -1.0, 1.0));
    const Date due = addSeconds(std::min(*lastCheck, now), seconds);
    return std::max(earliest, due);
}

} // namespace tisko
