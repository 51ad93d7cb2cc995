// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DailyTally.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace tisko {

namespace {

constexpr std::int64_t largestCount = std::numeric_limits<std::int64_t>::max();

void addOne(std::int64_t& count) {
    if (count < largestCount)
        ++count;
}

} // namespace

std::int64_t DailyTally::Day::alerts() const {
    std::int64_t sum = 0;
    return __builtin_add_overflow(tooClose, slouching, &sum) ? largestCount : sum;
}

std::string DailyTally::key(Date date, const Calendar& calendar) {
    const DateComponents parts = calendar(date);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", parts.year.value_or(0),
                  parts.month.value_or(0), parts.day.value_or(0));
    return buffer;
}

DailyTally::Day DailyTally::day(Date date, const Calendar& calendar) const {
    const std::string wanted = key(date, calendar);
    for (const Day& stored : days) {
        if (stored.date == wanted)
            return stored;
    }
    return Day{wanted};
}

DailyTally::Day& DailyTally::findOrCreate(const std::string& wanted) {
    auto found = std::find_if(days.begin(), days.end(),
                              [&](const Day& stored) { return stored.date == wanted; });
    if (found != days.end())
        return *found;
    days.emplace_back(wanted);
    // Stable, so days that share a key keep their order; a key compares as calendar order.
    std::stable_sort(days.begin(), days.end(),
                     [](const Day& a, const Day& b) { return a.date < b.date; });
    return *std::find_if(days.begin(), days.end(),
                         [&](const Day& stored) { return stored.date == wanted; });
}

void DailyTally::recordCheck(const PostureVerdict& verdict, Date date, const Calendar& calendar) {
    if (verdict.kind() == PostureVerdict::Kind::away)
        return;
    Day& entry = findOrCreate(key(date, calendar));
    addOne(entry.checks);
    if (verdict.isBad())
        addOne(entry.badChecks);
}

void DailyTally::recordAlert(const PostureVerdict& verdict, Date date, const Calendar& calendar) {
    Day& entry = findOrCreate(key(date, calendar));
    if (verdict.kind() == PostureVerdict::Kind::tooClose)
        addOne(entry.tooClose);
    else if (verdict.kind() == PostureVerdict::Kind::slouching)
        addOne(entry.slouching);
}

std::string DailyTally::csv() const {
    std::string text = "fecha,avisos,demasiado_cerca,encorvado,comprobaciones,comprobaciones_mal\n";
    for (const Day& entry : days) {
        text += entry.date;
        for (std::int64_t value :
             {entry.alerts(), entry.tooClose, entry.slouching, entry.checks, entry.badChecks}) {
            text += ',';
            text += std::to_string(value);
        }
        text += '\n';
    }
    return text;
}

} // namespace tisko
