#include "TiskoCore/ReferenceCheck.h"

#include <gtest/gtest.h>

using namespace tisko;
using Problem = ReferenceCheck::Problem;

namespace {

void recordMany(ReferenceCheck& check, int count, const PostureVerdict& verdict) {
    for (int i = 0; i < count; ++i)
        check.record(verdict);
}

const PostureVerdict kClose = PostureVerdict::tooClose(1.3);
const PostureVerdict kLow = PostureVerdict::slouching(0.7);

} // namespace

TEST(ReferenceCheck, judgesOnlyOnceTheWindowHasFilled) {
    ReferenceCheck check(40, 0.75);
    recordMany(check, 39, kClose);
    EXPECT_FALSE(check.suspect());
    check.record(PostureVerdict::fine());
    EXPECT_EQ(check.suspect(), Problem::tooClose);
}

TEST(ReferenceCheck, needsTheShareOfBadChecks) {
    ReferenceCheck enough(40, 0.75);
    recordMany(enough, 30, kClose);
    recordMany(enough, 10, PostureVerdict::fine());
    EXPECT_EQ(enough.suspect(), Problem::tooClose);

    ReferenceCheck tooFew(40, 0.75);
    recordMany(tooFew, 29, kClose);
    recordMany(tooFew, 11, PostureVerdict::fine());
    EXPECT_FALSE(tooFew.suspect());
}

TEST(ReferenceCheck, slouchingWinsATieAndLosesToAMajority) {
    ReferenceCheck tie(40, 0.75);
    recordMany(tie, 15, kClose);
    recordMany(tie, 15, kLow);
    recordMany(tie, 10, PostureVerdict::fine());
    EXPECT_EQ(tie.suspect(), Problem::slouching);

    ReferenceCheck closeMajority(40, 0.75);
    recordMany(closeMajority, 16, kClose);
    recordMany(closeMajority, 14, kLow);
    recordMany(closeMajority, 10, PostureVerdict::fine());
    EXPECT_EQ(closeMajority.suspect(), Problem::tooClose);
}

TEST(ReferenceCheck, emptyLooksNeitherFillNorDiluteTheWindow) {
    ReferenceCheck plain(40, 0.75);
    ReferenceCheck interleaved(40, 0.75);
    for (int i = 0; i < 40; ++i) {
        const PostureVerdict verdict = i % 4 == 0 ? PostureVerdict::fine() : kLow;
        plain.record(verdict);
        interleaved.record(PostureVerdict::away());
        interleaved.record(verdict);
        interleaved.record(PostureVerdict::away());
    }
    EXPECT_EQ(plain, interleaved);
    EXPECT_EQ(interleaved.suspect(), Problem::slouching);
}

TEST(ReferenceCheck, slidingOutTheOldestBadCheckCanClearTheSuspicion) {
    ReferenceCheck check(40, 0.75);
    check.record(kClose);
    recordMany(check, 29, kClose);
    recordMany(check, 10, PostureVerdict::fine());
    ASSERT_TRUE(check.suspect());
    check.record(PostureVerdict::fine());
    EXPECT_FALSE(check.suspect());
}

TEST(ReferenceCheck, resetNeedsAFullWindowAgain) {
    ReferenceCheck check(40, 0.75);
    recordMany(check, 40, kClose);
    check.reset();
    recordMany(check, 39, kClose);
    EXPECT_FALSE(check.suspect());
    check.record(kClose);
    EXPECT_EQ(check.suspect(), Problem::tooClose);
}
