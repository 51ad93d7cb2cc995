// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tisko {

// An instant; the core never reads a clock, callers pass the current date in.
using Date = std::chrono::system_clock::time_point;

// Seconds from `from` to `to`, negative when `to` is earlier.
double secondsBetween(Date from, Date to);

// The date `seconds` after `date` (earlier for negative values); beyond the clock's range
// (about 292 years either side of 1970) the range's end, and `date` itself for NaN.
Date addSeconds(Date date, double seconds);

// "2025-03-04T09:15:27Z": UTC, whole seconds (a fraction is dropped, rounding down).
std::string formatIso8601(Date date);

// Reads an internet date-time with whole seconds and "Z" or a "+hh:mm"/"-hh:mm" offset.
std::optional<Date> parseIso8601(std::string_view text);

// Calendar fields of an instant; a field the calendar does not provide is absent.
struct DateComponents {
    std::optional<int> year;
    std::optional<int> month;
    std::optional<int> day;
    bool operator==(const DateComponents&) const = default;
};

// A time-zone rule: the local year, month and day of an instant.
using Calendar = std::function<DateComponents(Date)>;

// A calendar for a zone that is always `offsetSeconds` ahead of UTC (negative: behind).
Calendar fixedOffsetCalendar(long offsetSeconds);

} // namespace tisko
