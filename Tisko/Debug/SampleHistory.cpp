// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Debug/SampleHistory.h"

#include <chrono>

namespace tisko {

Date SampleHistory::today() {
    using namespace std::chrono;
    return sys_days{year{2026} / December / 1} + hours{12};
}

DailyTally SampleHistory::month() {
    using namespace std::chrono;
    const Calendar utc = fixedOffsetCalendar(0);
    const sys_days last = floor<days>(today());
    DailyTally tally;
    for (int i = 0; i < 30; ++i) {
        const sys_days day = last - days{29 - i};
        const unsigned weekday = year_month_weekday{day}.weekday().c_encoding(); // 0 Sunday
        const bool weekend = weekday == 0 || weekday == 6;
        if ((weekend && i != 12) || i == 17)
            continue; // a Saturday of some work and a Thursday off
        DailyTally::Day entry(DailyTally::key(day + hours{12}, utc));
        entry.checks = weekend ? 18 : 62 + (i * 37) % 31;
        // From about a quarter of the checks bad to about a tenth.
        entry.badChecks = entry.checks * (26 - i / 2) / 100;
        entry.tooClose = entry.badChecks * 2 / 5;
        entry.slouching = entry.badChecks / 4;
        tally.days.push_back(entry);
    }
    DailyTally::Day& todays = tally.days.back();
    todays.checks = 84;
    todays.badChecks = 9;
    todays.tooClose = 6;
    todays.slouching = 3;
    return tally;
}

} // namespace tisko
