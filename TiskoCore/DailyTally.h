// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/Date.h"
#include "TiskoCore/PostureVerdict.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tisko {

// Checks and alerts counted per local calendar day, kept forever.
struct DailyTally {
    // The counters of one day, keyed "YYYY-MM-DD". Counts are never negative and stop at the
    // largest std::int64_t rather than wrap.
    struct Day {
        std::string date;
        std::int64_t tooClose = 0;
        std::int64_t slouching = 0;
        std::int64_t checks = 0;    // checks that measured a face
        std::int64_t badChecks = 0; // of those, the bad ones

        Day() = default;
        explicit Day(std::string key)
            : date(std::move(key)) {}
        // Both kinds together, at most the largest count.
        std::int64_t alerts() const;
        bool operator==(const Day&) const = default;
    };

    std::vector<Day> days; // ascending by date, one entry per key

    bool operator==(const DailyTally&) const = default;

    // "%04d-%02d-%02d" of the calendar's year, month and day (a missing field counts as 0).
    static std::string key(Date date, const Calendar& calendar);
    // The stored day of that date, or an all-zero day that is not added.
    Day day(Date date, const Calendar& calendar) const;
    // Counts a check that saw a face; away verdicts are not counted.
    void recordCheck(const PostureVerdict& verdict, Date date, const Calendar& calendar);
    // Counts an alert for the verdict's problem.
    void recordAlert(const PostureVerdict& verdict, Date date, const Calendar& calendar);
    // The CSV export: a header line and one line per day, each ending in a line feed.
    std::string csv() const;

private:
    Day& findOrCreate(const std::string& key);
};

} // namespace tisko
