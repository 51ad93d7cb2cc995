// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/AbsenceGate.h"
#include "TiskoCore/AlertPolicy.h"
#include "TiskoCore/EmptyLookBackOff.h"
#include "TiskoCore/TiltTrigger.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tisko;

namespace {

Date at(double seconds) {
    return addSeconds(Date{}, seconds);
}

const PostureVerdict bad = PostureVerdict::tooClose(1.3);

AlertPolicy tenMinutes() {
    return AlertPolicy(600, AlertPolicy::defaultMaxMultiplier, std::nullopt);
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

TEST(AlertPolicy, aFirstBadCheckAlertsAndTheGapDoublesFromTheSecondAlertUpToTheCap) {
    AlertPolicy policy = tenMinutes();
    EXPECT_TRUE(policy.shouldAlert(bad, at(0)));
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

using Signs = AbsenceGate::Signs;

TEST(AbsenceGate, anySignOfAbsenceCountsAndLeavingAndReturningAreReportedOnceEach) {
    const double idle = AbsenceGate::idleSecondsForAbsence;
    EXPECT_FALSE(AbsenceGate::absent(Signs{}));
    EXPECT_FALSE(AbsenceGate::absent(Signs{false, idle - 0.1, false}));
    EXPECT_TRUE(AbsenceGate::absent(Signs{false, idle, false}));
    EXPECT_TRUE(AbsenceGate::absent(Signs{true, 0.0, false}));
    EXPECT_TRUE(AbsenceGate::absent(Signs{false, 0.0, true}));
    AbsenceGate gate;
    const Signs away{true, std::nullopt, false};
    EXPECT_EQ(gate.update(away), AbsenceGate::Change::left);
    EXPECT_EQ(gate.update(away), AbsenceGate::Change::none);
    EXPECT_TRUE(gate.skipping());
    EXPECT_EQ(gate.update(Signs{}), AbsenceGate::Change::returned);
    EXPECT_EQ(gate.update(Signs{}), AbsenceGate::Change::none);
    EXPECT_FALSE(gate.skipping());
}

using Change = EmptyLookBackOff::Change;

TEST(EmptyLookBackOff, onlyEmptyClockLooksStartItThenOneTickInSeveralLooksAndAFaceResets) {
    EmptyLookBackOff backOff;
    EXPECT_EQ(backOff.record(false, false), Change::none) << "not by the clock: not counted";
    for (int i = 1; i < EmptyLookBackOff::emptyLooksBeforeBackOff; ++i) {
        ASSERT_TRUE(backOff.mayLook());
        EXPECT_EQ(backOff.record(false, true), Change::none);
    }
    ASSERT_TRUE(backOff.mayLook());
    EXPECT_EQ(backOff.record(false, true), Change::started);
    for (int round = 0; round < 2; ++round) {
        for (int skipped = 0; skipped < EmptyLookBackOff::ticksSkippedInBackOff; ++skipped)
            EXPECT_FALSE(backOff.mayLook()) << round << "/" << skipped;
        EXPECT_TRUE(backOff.mayLook()) << round;
        EXPECT_EQ(backOff.record(false, true), Change::none) << "started only once";
    }
    EXPECT_EQ(backOff.record(true, false), Change::ended) << "any look that sees somebody";
    EXPECT_TRUE(backOff.mayLook());
    EXPECT_EQ(backOff.ticksSkipped(), 0);
    EXPECT_EQ(backOff.emptyLooksInARow(), 0);
}

TEST(TiltTrigger, aHeldTiltFiresAfterTheHoldAndAgainAfterTheGapAlsoWhenTheClockIsSetBack) {
    TiltTrigger trigger;
    EXPECT_TRUE(holdTilt(trigger, 0, 2).empty());
    // A reading that is not a number is no tilt.
    EXPECT_FALSE(trigger.update(std::numeric_limits<double>::quiet_NaN(), 0, at(3)));
    const double firstFire = 4 + TiltTrigger::defaultHoldFor;
    EXPECT_EQ(holdTilt(trigger, 4, 75),
              (std::vector<double>{firstFire, firstFire + TiltTrigger::defaultMinimumGap}));
    // The tilt goes on after the clock went back an hour: it fires one gap later, not an hour.
    TiltTrigger back;
    ASSERT_EQ(holdTilt(back, 3600, 3610).size(), 1u);
    EXPECT_EQ(holdTilt(back, 10, 80), (std::vector<double>{10 + TiltTrigger::defaultMinimumGap}));
    // A hold under way when the clock goes back ends one hold later.
    TiltTrigger holding;
    EXPECT_TRUE(holdTilt(holding, 3600, 3602).empty());
    EXPECT_EQ(holdTilt(holding, 10, 20), (std::vector<double>{10 + TiltTrigger::defaultHoldFor}));
}
