// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/ReferenceCheck.h"

#include <gtest/gtest.h>

using namespace tisko;
using Problem = ReferenceCheck::Problem;

namespace {

constexpr int window = ReferenceCheck::defaultWindow;
// Bad checks in a full window that just make the usual share.
constexpr int enough = 30;
static_assert(enough == int(window * ReferenceCheck::defaultShare));

void recordMany(ReferenceCheck& check, int count, const PostureVerdict& verdict) {
    for (int i = 0; i < count; ++i)
        check.record(verdict);
}

const PostureVerdict tooClose = PostureVerdict::tooClose(1.3);
const PostureVerdict low = PostureVerdict::slouching(0.7);

} // namespace

TEST(ReferenceCheck, judgesOnlyAFullWindowOfLooksThatSawSomebodyAndNeedsTheShareOfBadOnes) {
    ReferenceCheck check;
    recordMany(check, window, tooClose);
    check.reset();
    recordMany(check, enough, tooClose);
    // Empty looks neither fill the window nor push the bad checks out of it.
    recordMany(check, window, PostureVerdict::away());
    recordMany(check, window - enough - 1, PostureVerdict::fine());
    EXPECT_FALSE(check.suspect());
    check.record(PostureVerdict::fine());
    EXPECT_EQ(check.suspect(), Problem::tooClose);
    check.record(PostureVerdict::fine());
    EXPECT_FALSE(check.suspect()) << "one bad check fewer than the share";
}

TEST(ReferenceCheck, slouchingWinsATieAndLosesToAMajority) {
    for (auto [closeCount, expected] :
         {std::pair{15, Problem::slouching}, {16, Problem::tooClose}}) {
        ReferenceCheck check;
        recordMany(check, closeCount, tooClose);
        recordMany(check, enough - closeCount, low);
        recordMany(check, window - enough, PostureVerdict::fine());
        EXPECT_EQ(check.suspect(), expected) << closeCount;
    }
}
