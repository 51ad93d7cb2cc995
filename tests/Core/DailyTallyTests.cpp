// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/DailyTally.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tisko;
using namespace std::chrono;

namespace {

// 2025-03-04 at the given UTC hour and minute.
Date march4(int hour, int minute) {
    return sys_days{year{2025} / 3 / 4} + hours{hour} + minutes{minute};
}

const Calendar utc = fixedOffsetCalendar(0);

} // namespace

TEST(DailyTally, recordsAreCountedOnTheirLocalDayAndExportedInCalendarOrder) {
    const Calendar partial = [](Date) { return DateComponents{987, std::nullopt, 5}; };
    EXPECT_EQ(DailyTally::key(march4(0, 0), partial), "0987-00-05") << "padded";
    DailyTally tally;
    tally.recordCheck(PostureVerdict::away(), march4(9, 0), utc);
    EXPECT_TRUE(tally.days.empty());
    EXPECT_EQ(tally.day(march4(9, 0), utc), DailyTally::Day("2025-03-04"));
    EXPECT_TRUE(tally.days.empty()) << "reading a day does not add it";
    tally.recordCheck(PostureVerdict::slouching(0.6), march4(9, 0), utc);
    tally.recordCheck(PostureVerdict::fine(), march4(9, 3), utc);
    tally.recordCheck(PostureVerdict::tooClose(1.2), march4(9, 9), utc);
    tally.recordAlert(PostureVerdict::fine(), march4(9, 9), utc);
    tally.recordAlert(PostureVerdict::tooClose(1.3), march4(9, 10), utc);
    tally.recordAlert(PostureVerdict::slouching(0.7), march4(10, 0), utc);
    tally.recordAlert(PostureVerdict::slouching(0.7), march4(10, 5), utc);
    EXPECT_EQ(tally.day(march4(12, 0), utc).alerts(), 3);
    // Past midnight in a zone an hour ahead; then a clock set back, in a zone ten hours behind.
    tally.recordCheck(PostureVerdict::fine(), march4(23, 30), fixedOffsetCalendar(3600));
    tally.recordCheck(PostureVerdict::fine(), march4(9, 0) - days{3}, fixedOffsetCalendar(-36000));
    EXPECT_EQ(tally.csv(),
              "fecha,avisos,demasiado_cerca,encorvado,comprobaciones,comprobaciones_mal\n"
              "2025-02-28,0,0,0,1,0\n"
              "2025-03-04,3,1,2,3,2\n"
              "2025-03-05,0,0,0,1,0\n");
}

TEST(DailyTally, countsAtTheLargestValueStayThere) {
    constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();
    DailyTally tally;
    DailyTally::Day full("2025-03-04");
    full.checks = full.badChecks = full.tooClose = full.slouching = largest;
    tally.days = {full};
    tally.recordCheck(PostureVerdict::slouching(0.6), march4(9, 0), utc);
    tally.recordAlert(PostureVerdict::slouching(0.6), march4(9, 0), utc);
    tally.recordAlert(PostureVerdict::tooClose(1.3), march4(9, 0), utc);
    EXPECT_EQ(tally.days.at(0), full);
    EXPECT_EQ(full.alerts(), largest);
}
