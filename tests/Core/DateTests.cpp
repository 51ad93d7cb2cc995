// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/Date.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tisko;

TEST(Date, addSecondsStopsAtTheEndsOfTheClocksRange) {
    const Date now = *parseIso8601("2026-03-02T10:00:00Z");
    EXPECT_EQ(formatIso8601(addSeconds(now, 90.5)), "2026-03-02T10:01:30Z");
    EXPECT_EQ(formatIso8601(addSeconds(now, -1e10)), "1709-04-12T16:13:20Z") << "within the range";
    const double infinity = std::numeric_limits<double>::infinity();
    for (double far : {1e10, 1e11, 1e300, infinity})
        EXPECT_EQ(addSeconds(now, far), Date::max()) << far;
    for (double far : {-2e10, -1e300, -infinity})
        EXPECT_EQ(addSeconds(now, far), Date::min()) << far;
    EXPECT_EQ(addSeconds(Date::max(), 1), Date::max());
    EXPECT_EQ(addSeconds(Date::min(), -1), Date::min());
    EXPECT_EQ(addSeconds(now, std::numeric_limits<double>::quiet_NaN()), now);
}
