// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/AbsenceGate.h"

#include <gtest/gtest.h>

using namespace tisko;

using Signs = AbsenceGate::Signs;

TEST(AbsenceGate, anySignOfAbsenceCountsAndUnknownIdleDoesNot) {
    const double idle = AbsenceGate::idleSecondsForAbsence;
    EXPECT_FALSE(AbsenceGate::absent(Signs{}));
    EXPECT_FALSE(AbsenceGate::absent(Signs{false, idle - 0.1, false}));
    EXPECT_TRUE(AbsenceGate::absent(Signs{false, idle, false}));
    EXPECT_TRUE(AbsenceGate::absent(Signs{true, 0.0, false}));
    EXPECT_TRUE(AbsenceGate::absent(Signs{false, 0.0, true}));
}

TEST(AbsenceGate, leavingAndReturningAreReportedOnceEach) {
    AbsenceGate gate;
    const Signs away{true, std::nullopt, false};
    EXPECT_EQ(gate.update(away), AbsenceGate::Change::left);
    EXPECT_EQ(gate.update(away), AbsenceGate::Change::none);
    EXPECT_TRUE(gate.skipping());
    EXPECT_EQ(gate.update(Signs{}), AbsenceGate::Change::returned);
    EXPECT_EQ(gate.update(Signs{}), AbsenceGate::Change::none);
    EXPECT_FALSE(gate.skipping());
}
