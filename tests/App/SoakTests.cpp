// A week of clock ticks in simulated time.
#include "MonitorHarness.h"

#include "Tisko/Support/Storage.h"
#include "TiskoCore/JsonCodec.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <random>

namespace tisko::test {
namespace {

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

TEST(MonitorSoak, aWeekOfTicksCountsEveryVerdictAndStopsGrowingAfterTheFirstDay) {
    MonitorHarness h;
    h.monitor().start();
    h.monitor().saveCalibration(position("Mesa"));

    std::mt19937 random(20260302);
    // Fine, close, slouching, nobody and a failed look, and the verdict each one counts as.
    std::discrete_distribution<int> pick({50, 15, 15, 15, 5});
    const LookResult results[] = {faceResult(fineFace()), faceResult(closeFace()),
                                  faceResult(slouchedFace()), nobodyResult(), failedResult()};
    const std::optional<PostureVerdict> verdicts[] = {
        PostureVerdict::fine(), PostureVerdict::tooClose(1.5), PostureVerdict::slouching(0.6),
        PostureVerdict::away(), std::nullopt};
    DailyTally expected;
    const Calendar calendar = h.clock().calendar();
    [[maybe_unused]] std::size_t afterFirstDay = 0;
    int ticks = 0;
    const int ticksPerDay = 86400 / 180;

    for (int day = 0; day < 7; ++day) {
        for (int tick = 0; tick < ticksPerDay; ++tick, ++ticks) {
            h.clock().advance(180);
            if (h.camera().pending.empty())
                continue; // a tick skipped by the empty-look back-off
            const int kind = pick(random);
            h.clock().advance(2);
            const Date at = h.clock().now();
            h.finishLook(results[kind]);
            if (verdicts[kind])
                expected.recordCheck(*verdicts[kind], at, calendar);
        }
        h.newLogLines(); // the log queue drained, so only lasting memory counts
        if (day == 0)
            afterFirstDay = heapInUse();
    }
    [[maybe_unused]] const std::size_t afterWeek = heapInUse();

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

#if !defined(__SANITIZE_ADDRESS__) // the sanitizer's heap is not malloc's
    // Six more days add six day records to the tally and nothing else.
    EXPECT_LT(afterWeek, afterFirstDay + 64 * 1024)
        << "heap after day 1: " << afterFirstDay << ", after day 7: " << afterWeek;
#endif
}

} // namespace
} // namespace tisko::test
