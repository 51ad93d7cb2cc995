// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/EmptyLookBackOff.h"

#include <gtest/gtest.h>

using namespace tisko;

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
