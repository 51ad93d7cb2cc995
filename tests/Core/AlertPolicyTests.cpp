#include "TiskoCore/AlertPolicy.h"

#include <gtest/gtest.h>

using namespace tisko;

namespace {

Date at(double seconds) {
    return addSeconds(Date{}, seconds);
}

const PostureVerdict kBad = PostureVerdict::tooClose(1.3);

} // namespace

TEST(AlertPolicy, freshPolicyAlertsOnlyOnBadVerdicts) {
    const AlertPolicy policy(600, 4, std::nullopt);
    EXPECT_TRUE(policy.shouldAlert(kBad, at(0)));
    EXPECT_TRUE(policy.shouldAlert(PostureVerdict::slouching(0.6), at(0)));
    EXPECT_FALSE(policy.shouldAlert(PostureVerdict::fine(), at(0)));
    EXPECT_FALSE(policy.shouldAlert(PostureVerdict::away(), at(0)));
}

TEST(AlertPolicy, gapDoublesFromTheSecondAlertUpToTheCap) {
    AlertPolicy policy(600, 4, std::nullopt);
    policy.didAlert(at(0));
    EXPECT_FALSE(policy.shouldAlert(kBad, at(599)));
    EXPECT_TRUE(policy.shouldAlert(kBad, at(600)));
    policy.didAlert(at(600));
    EXPECT_DOUBLE_EQ(policy.currentGap(), 1200);
    EXPECT_FALSE(policy.shouldAlert(kBad, at(1799)));
    EXPECT_TRUE(policy.shouldAlert(kBad, at(1800)));
    policy.didAlert(at(1800));
    EXPECT_FALSE(policy.shouldAlert(kBad, at(4199)));
    EXPECT_TRUE(policy.shouldAlert(kBad, at(4200)));
    policy.didAlert(at(4200));
    EXPECT_EQ(policy.streak, 4);
    EXPECT_DOUBLE_EQ(policy.currentGap(), 2400);
    policy.didAlert(at(6600));
    EXPECT_DOUBLE_EQ(policy.currentGap(), 2400);
}

TEST(AlertPolicy, onlyAFineCheckEndsTheRunAndTheLastAlertStays) {
    AlertPolicy policy(600, 4, std::nullopt);
    policy.didAlert(at(0));
    policy.didAlert(at(600));
    policy.didAlert(at(1800));
    policy.observe(PostureVerdict::away());
    policy.observe(kBad);
    EXPECT_EQ(policy.streak, 3);
    policy.observe(PostureVerdict::fine());
    EXPECT_EQ(policy.streak, 0);
    EXPECT_DOUBLE_EQ(policy.currentGap(), 600);
    EXPECT_EQ(policy.lastAlert, at(1800));
    EXPECT_FALSE(policy.shouldAlert(kBad, at(2399)));
}

TEST(AlertPolicy, changingTheCooldownMidRunScalesTheGapAtOnce) {
    AlertPolicy policy(600, 4, std::nullopt);
    for (int i = 0; i < 3; ++i)
        policy.didAlert(at(i));
    policy.cooldown = 60;
    EXPECT_DOUBLE_EQ(policy.currentGap(), 240);
}

TEST(AlertPolicy, clockSetBackWaitsUntilItPassesTheLastAlertAgain) {
    AlertPolicy policy(600, 4, std::nullopt);
    policy.didAlert(at(10000));
    EXPECT_FALSE(policy.shouldAlert(kBad, at(5000)));
    EXPECT_FALSE(policy.shouldAlert(kBad, at(10599)));
    EXPECT_TRUE(policy.shouldAlert(kBad, at(10600)));
}
