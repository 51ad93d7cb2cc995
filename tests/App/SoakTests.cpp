// A week of clock ticks in simulated time.
#include "MonitorHarness.h"

#include "Tisko/Support/Storage.h"
#include "TiskoCore/JsonCodec.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <random>

#if defined(__SANITIZE_ADDRESS__)
#define TISKO_MALLOC_COUNTS_ARE_REAL 0
#else
#define TISKO_MALLOC_COUNTS_ARE_REAL 1
#endif

namespace tisko::test {
namespace {

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

TEST(MonitorSoak, AWeekOfTicksCountsEveryVerdictAndStopsGrowingAfterTheFirstDay) {
    MonitorHarness h;
    h.monitor().start();
    h.monitor().saveCalibration(position("Mesa"));

    std::mt19937 random(20260302);
    std::discrete_distribution<int> pick(
        {50, 15, 15, 15, 5}); // fine, close, slouch, nobody, failed
    DailyTally expected;
    const Calendar calendar = h.clock().calendar();
    std::size_t afterFirstDay = 0;
    int ticks = 0;
    const int ticksPerDay = 86400 / 180;

    for (int day = 0; day < 7; ++day) {
        for (int tick = 0; tick < ticksPerDay; ++tick, ++ticks) {
            h.clock().advance(180);
            if (h.camera().pending.empty())
                continue; // a tick skipped by the empty-look back-off
            LookResult result;
            switch (pick(random)) {
            case 0:
                result = faceResult(fineFace());
                break;
            case 1:
                result = faceResult(closeFace());
                break;
            case 2:
                result = faceResult(slouchedFace());
                break;
            case 3:
                result = nobodyResult();
                break;
            default:
                result = failedResult();
                break;
            }
            h.clock().advance(2);
            const Date at = h.clock().now();
            h.finishLook(result);
            if (!result.failed) {
                const PostureVerdict verdict =
                    !result.measurement                     ? PostureVerdict::away()
                    : *result.measurement == closeFace()    ? PostureVerdict::tooClose(1.5)
                    : *result.measurement == slouchedFace() ? PostureVerdict::slouching(0.6)
                                                            : PostureVerdict::fine();
                expected.recordCheck(verdict, at, calendar);
            }
        }
        h.newLogLines(); // the log queue drained, so only lasting memory counts
        if (day == 0)
            afterFirstDay = heapInUse();
    }
    const std::size_t afterWeek = heapInUse();

    ASSERT_EQ(ticks, 7 * ticksPerDay);
    const DailyTally& tally = h.monitor().tally();
    ASSERT_EQ(tally.days.size(), expected.days.size());
    std::int64_t alerts = 0;
    for (std::size_t i = 0; i < tally.days.size(); ++i) {
        EXPECT_EQ(tally.days[i].date, expected.days[i].date);
        EXPECT_EQ(tally.days[i].checks, expected.days[i].checks) << tally.days[i].date;
        EXPECT_EQ(tally.days[i].badChecks, expected.days[i].badChecks) << tally.days[i].date;
        alerts += tally.days[i].alerts();
    }
    EXPECT_EQ(alerts, std::int64_t(h.notified.size()));
    EXPECT_GT(alerts, 7 * 6) << "about one warning per cool-down or two while slouching";
    const std::optional<DailyTally> saved =
        JsonCodec<DailyTally>::decode(h.dataFile(Storage::tallyFileName).toStdString());
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, tally);

    if (TISKO_MALLOC_COUNTS_ARE_REAL) {
        // Six more days add six day records to the tally and nothing else.
        EXPECT_LT(afterWeek, afterFirstDay + 64 * 1024)
            << "heap after day 1: " << afterFirstDay << ", after day 7: " << afterWeek;
    }
}

} // namespace
} // namespace tisko::test
