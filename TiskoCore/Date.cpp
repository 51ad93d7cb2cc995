// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Date.h"

#include <algorithm>
#include <cstdio>

namespace tisko {

namespace {

using namespace std::chrono;

bool isDigits(std::string_view text, std::size_t from, std::size_t count) {
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

int number(std::string_view text, std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

} // namespace

double secondsBetween(Date from, Date to) {
    return duration<double>(to - from).count();
}

Date addSeconds(Date date, double seconds) {
    // Far-off offsets stop at the ends of the clock's range instead of overflowing it. A long
    // double holds every tick count exactly, so the sum is formed before anything is cut.
    using Ticks = Date::duration;
    if (seconds != seconds)
        return date;
    const long double ticksPerSecond =
        static_cast<long double>(Ticks::period::den) / Ticks::period::num;
    const long double target =
        static_cast<long double>(date.time_since_epoch().count()) + seconds * ticksPerSecond;
    if (target >= static_cast<long double>(Ticks::max().count()))
        return Date::max();
    if (target <= static_cast<long double>(Ticks::min().count()))
        return Date::min();
    return Date{Ticks{static_cast<Ticks::rep>(target)}};
}

std::string formatIso8601(Date date) {
    const auto secs = floor<seconds>(date);
    const auto dayPoint = floor<days>(secs);
    const year_month_day ymd{dayPoint};
    const hh_mm_ss<seconds> time{secs - dayPoint};
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(ymd.year()),
                  unsigned(ymd.month()), unsigned(ymd.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()));
    return buffer;
}

std::optional<Date> parseIso8601(std::string_view text) {
    // YYYY-MM-DDTHH:MM:SS then Z or ±HH:MM
    if (text.size() != 20 && text.size() != 25)
        return std::nullopt;
    if (!isDigits(text, 0, 4) || text[4] != '-' || !isDigits(text, 5, 2) || text[7] != '-' ||
        !isDigits(text, 8, 2) || (text[10] != 'T' && text[10] != 't') || !isDigits(text, 11, 2) ||
        text[13] != ':' || !isDigits(text, 14, 2) || text[16] != ':' || !isDigits(text, 17, 2))
        return std::nullopt;
    long offset = 0;
    if (text.size() == 20) {
        if (text[19] != 'Z' && text[19] != 'z')
            return std::nullopt;
    } else {
        if ((text[19] != '+' && text[19] != '-') || !isDigits(text, 20, 2) || text[22] != ':' ||
            !isDigits(text, 23, 2))
            return std::nullopt;
        const int offHours = number(text, 20, 2);
        const int offMinutes = number(text, 23, 2);
        if (offHours > 23 || offMinutes > 59)
            return std::nullopt;
        offset = (offHours * 60L + offMinutes) * 60L * (text[19] == '-' ? -1 : 1);
    }
    const year_month_day ymd{year{number(text, 0, 4)}, month{unsigned(number(text, 5, 2))},
                             day{unsigned(number(text, 8, 2))}};
    const int h = number(text, 11, 2), m = number(text, 14, 2), s = number(text, 17, 2);
    // A date must fit the clock's range (years 1678 to 2261 with nanoseconds).
    if (!ymd.ok() || h > 23 || m > 59 || s > 59 || ymd.year() < year{1678} ||
        ymd.year() > year{2261})
        return std::nullopt;
    const sys_seconds local = sys_days{ymd} + hours{h} + minutes{m} + seconds{s};
    return Date{local - seconds{offset}};
}

Calendar fixedOffsetCalendar(long offsetSeconds) {
    return [offsetSeconds](Date date) {
        const auto shifted = floor<seconds>(date) + seconds{offsetSeconds};
        const year_month_day ymd{floor<days>(shifted)};
        return DateComponents{int(ymd.year()), int(unsigned(ymd.month())),
                              int(unsigned(ymd.day()))};
    };
}

} // namespace tisko
