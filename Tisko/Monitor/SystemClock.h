// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Monitor/Clock.h"

namespace tisko {

// The system clock, the local time zone and coarse Qt timers on the calling thread.
class SystemClock final : public Clock {
public:
    Date now() const override;
    Calendar calendar() const override;
    Date startOfNextDay(Date date) const override;
    std::unique_ptr<RepeatingTimer> createTimer() override;

    // The local calendar of the process's time zone.
    static Calendar localCalendar();
};

} // namespace tisko
