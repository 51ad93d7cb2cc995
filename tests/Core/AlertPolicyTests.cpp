// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/AlertPolicy.h"

#include <gtest/gtest.h>

using namespace tisko;

namespace {

Date at(double seconds) {
    return addSeconds(Date{}, seconds);
}

const PostureVerdict bad = PostureVerdict::tooClose(1.3);

AlertPolicy tenMinutes() {
    return AlertPolicy(600, AlertPolicy::defaultMaxMultiplier, std::nullopt);
}

} // namespace

TEST(AlertPolicy, aFirstBadCheckAlertsAndTheGapDoublesFromTheSecondAlertUpToTheCap) {
    AlertPolicy policy = tenMinutes();
    EXPECT_TRUE(policy.shouldAlert(bad, at(0)));
    EXPECT_FALSE(policy.shouldAlert(PostureVerdict::fine(), at(0)));
    EXPECT_FALSE(policy.shouldAlert(PostureVerdict::away(), at(0)));
    const double gaps[] = {600, 1200, 2400, 2400, 2400};
    double last = 0;
    policy.didAlert(at(last));
    for (double gap : gaps) {
        EXPECT_FALSE(policy.shouldAlert(bad, at(last + gap - 1))) << policy.streak;
        EXPECT_TRUE(policy.shouldAlert(bad, at(last + gap))) << policy.streak;
        last += gap;
        policy.didAlert(at(last));
    }
    policy.cooldown = 60; // a changed cool-down scales the running gap at once
    EXPECT_DOUBLE_EQ(policy.currentGap(), 240);
}

TEST(AlertPolicy, onlyAFineCheckEndsTheRunAndAClockSetBackCountsTheGapFromThen) {
    AlertPolicy policy = tenMinutes();
    for (double t : {0, 600, 1800})
        policy.didAlert(at(t));
    policy.observe(PostureVerdict::away());
    policy.observe(bad);
    EXPECT_EQ(policy.streak, 3);
    policy.observe(PostureVerdict::fine());
    EXPECT_EQ(policy.streak, 0);
    EXPECT_FALSE(policy.shouldAlert(bad, at(2399)));
    EXPECT_TRUE(policy.shouldAlert(bad, at(2400)));
    EXPECT_FALSE(policy.shouldAlert(bad, at(-1800))) << "an hour back";
    EXPECT_FALSE(policy.shouldAlert(bad, at(-1201)));
    EXPECT_TRUE(policy.shouldAlert(bad, at(-1200)));
}
