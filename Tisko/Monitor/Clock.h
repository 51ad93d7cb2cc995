// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Monitor/RepeatingTimer.h"
#include "TiskoCore/Date.h"

#include <memory>

namespace tisko {

// Where the Monitor takes the time from: the current date, the local calendar and its
// timers. Production uses SystemClock; tests step a simulated one.
class Clock {
public:
    virtual ~Clock() = default;
    // The current date.
    virtual Date now() const = 0;
    // The local calendar that names the day of a date.
    virtual Calendar calendar() const = 0;
    // The start of the local day after the one `date` falls in (local midnight).
    virtual Date startOfNextDay(Date date) const = 0;
    // A new timer that runs on this clock's time.
    virtual std::unique_ptr<RepeatingTimer> createTimer() = 0;
};

} // namespace tisko
