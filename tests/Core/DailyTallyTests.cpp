#include "TiskoCore/DailyTally.h"

#include <gtest/gtest.h>

using namespace tisko;
using namespace std::chrono;

namespace {

// 2025-03-04 at the given UTC hour and minute.
Date march4(int hour, int minute) {
    return sys_days{year{2025} / 3 / 4} + hours{hour} + minutes{minute};
}

const Calendar kUtc = fixedOffsetCalendar(0);
const Calendar kMadrid = fixedOffsetCalendar(3600);

} // namespace

TEST(DailyTally, keysArePaddedDatesOfTheCalendar) {
    EXPECT_EQ(DailyTally::key(march4(9, 15), kUtc), "2025-03-04");
    const Calendar ancient = [](Date) { return DateComponents{987, 1, 5}; };
    EXPECT_EQ(DailyTally::key(march4(0, 0), ancient), "0987-01-05");
    const Calendar partial = [](Date) { return DateComponents{2025, std::nullopt, 7}; };
    EXPECT_EQ(DailyTally::key(march4(0, 0), partial), "2025-00-07");
}

TEST(DailyTally, checksOnEitherSideOfLocalMidnightFallOnTwoDays) {
    DailyTally tally;
    // 23:59 and 00:01 in a zone one hour ahead of UTC.
    tally.recordCheck(PostureVerdict::fine(), march4(22, 59), kMadrid);
    tally.recordCheck(PostureVerdict::fine(), march4(23, 1), kMadrid);
    ASSERT_EQ(tally.days.size(), 2u);
    EXPECT_EQ(tally.days[0].date, "2025-03-04");
    EXPECT_EQ(tally.days[1].date, "2025-03-05");
}

TEST(DailyTally, aChangeOfZoneCanPutALaterRecordOnAnEarlierDayAndTheListStaysSorted) {
    DailyTally tally;
    tally.recordCheck(PostureVerdict::fine(), march4(23, 30), fixedOffsetCalendar(3600));
    // An hour later, but the user flew to a zone ten hours behind UTC.
    tally.recordCheck(PostureVerdict::fine(), march4(0, 30) + hours{24},
                      fixedOffsetCalendar(-36000));
    ASSERT_EQ(tally.days.size(), 2u);
    EXPECT_EQ(tally.days[0].date, "2025-03-04");
    EXPECT_EQ(tally.days[1].date, "2025-03-05");
    // A clock set back before the last day still keeps the order.
    tally.recordCheck(PostureVerdict::fine(), march4(12, 0) - days{30}, kUtc);
    EXPECT_EQ(tally.days.front().date, "2025-02-02");
}

TEST(DailyTally, onlyChecksThatSawAFaceAreCounted) {
    DailyTally tally;
    tally.recordCheck(PostureVerdict::away(), march4(9, 0), kUtc);
    EXPECT_TRUE(tally.days.empty());
    tally.recordCheck(PostureVerdict::slouching(0.6), march4(9, 0), kUtc);
    tally.recordCheck(PostureVerdict::fine(), march4(9, 3), kUtc);
    tally.recordCheck(PostureVerdict::away(), march4(9, 6), kUtc);
    tally.recordCheck(PostureVerdict::tooClose(1.2), march4(9, 9), kUtc);
    const DailyTally::Day day = tally.day(march4(12, 0), kUtc);
    EXPECT_EQ(day.checks, 3);
    EXPECT_EQ(day.badChecks, 2);
    EXPECT_EQ(day.alerts(), 0);
}

TEST(DailyTally, alertsCountPerKindAndCreateTheirDay) {
    DailyTally tally;
    tally.recordAlert(PostureVerdict::fine(), march4(8, 0), kUtc);
    ASSERT_EQ(tally.days.size(), 1u);
    EXPECT_EQ(tally.days[0], DailyTally::Day("2025-03-04"));
    for (int i = 0; i < 2; ++i)
        tally.recordAlert(PostureVerdict::tooClose(1.3), march4(9, i), kUtc);
    for (int i = 0; i < 3; ++i)
        tally.recordAlert(PostureVerdict::slouching(0.7), march4(10, i), kUtc);
    EXPECT_EQ(tally.days[0].alerts(), 5);
    EXPECT_EQ(tally.days[0].checks, 0);
}

TEST(DailyTally, aDayWithoutRecordsReadsAsZerosAndIsNotAdded) {
    DailyTally tally;
    const DailyTally::Day day = tally.day(march4(9, 0), kUtc);
    EXPECT_EQ(day, DailyTally::Day("2025-03-04"));
    EXPECT_TRUE(tally.days.empty());
}

TEST(DailyTally, csvHasAHeaderAndOneLinePerDayWithLineFeedsOnly) {
    DailyTally tally;
    EXPECT_EQ(tally.csv(),
              "fecha,avisos,demasiado_cerca,encorvado,comprobaciones,comprobaciones_mal\n");
    DailyTally::Day day("2025-03-04");
    day.tooClose = 2;
    day.slouching = 3;
    day.checks = 40;
    day.badChecks = 9;
    DailyTally::Day earlier("2025-03-01");
    earlier.checks = 1;
    tally.days = {earlier, day};
    EXPECT_EQ(tally.csv(),
              "fecha,avisos,demasiado_cerca,encorvado,comprobaciones,comprobaciones_mal\n"
              "2025-03-01,0,0,0,1,0\n"
              "2025-03-04,5,2,3,40,9\n");
}
