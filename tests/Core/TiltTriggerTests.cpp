// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/TiltTrigger.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tisko;

namespace {

Date at(double seconds) {
    return addSeconds(Date{}, seconds);
}

// Forward by exactly the threshold: enough.
constexpr double tilted = -TiltTrigger::defaultThreshold;

// Feeds a held forward tilt every half second over [from, to]; the times it fired.
std::vector<double> holdTilt(TiltTrigger& trigger, double from, double to) {
    std::vector<double> fired;
    for (double t = from; t <= to; t += 0.5) {
        if (trigger.update(tilted, 0, at(t)))
            fired.push_back(t);
    }
    return fired;
}

} // namespace

TEST(TiltTrigger, anUntiltedReadingRestartsTheHoldAndAContinuingTiltFiresAgainAfterTheGap) {
    TiltTrigger trigger;
    EXPECT_TRUE(holdTilt(trigger, 0, 2).empty());
    // A reading that is not a number is no tilt.
    EXPECT_FALSE(trigger.update(std::numeric_limits<double>::quiet_NaN(), 0, at(3)));
    const double firstFire = 4 + TiltTrigger::defaultHoldFor;
    EXPECT_EQ(holdTilt(trigger, 4, 75),
              (std::vector<double>{firstFire, firstFire + TiltTrigger::defaultMinimumGap}));
}

TEST(TiltTrigger, clockSetBackAnHourCountsTheHoldAndTheGapFromThen) {
    TiltTrigger trigger;
    ASSERT_EQ(holdTilt(trigger, 3600, 3610).size(), 1u);
    // The tilt goes on after the clock went back an hour: it fires one gap later, not an hour.
    EXPECT_EQ(holdTilt(trigger, 10, 80),
              (std::vector<double>{10 + TiltTrigger::defaultMinimumGap}));
    // A hold under way when the clock goes back ends one hold later.
    TiltTrigger holding;
    EXPECT_TRUE(holdTilt(holding, 3600, 3602).empty());
    EXPECT_EQ(holdTilt(holding, 10, 20), (std::vector<double>{10 + TiltTrigger::defaultHoldFor}));
}
