#include "TiskoCore/TiltTrigger.h"

#include <gtest/gtest.h>

using namespace tisko;

namespace {

Date at(double seconds) {
    return addSeconds(Date{}, seconds);
}

TiltTrigger systemTrigger() {
    return TiltTrigger(0.26, 5, 60);
}

} // namespace

TEST(TiltTrigger, onlyAForwardTiltOfAtLeastTheThresholdCounts) {
    TiltTrigger atLimit(0.26, 0, 0);
    EXPECT_TRUE(atLimit.update(-0.26, 0.0, at(0)));
    TiltTrigger below(0.26, 0, 0);
    EXPECT_FALSE(below.update(-0.25, 0.0, at(0)));
    TiltTrigger raised(0.26, 0, 0);
    EXPECT_FALSE(raised.update(1.0, 0.0, at(0)));
}

TEST(TiltTrigger, firesOnceTheTiltHasBeenHeld) {
    TiltTrigger trigger = systemTrigger();
    EXPECT_FALSE(trigger.update(-0.5, 0, at(0)));
    EXPECT_FALSE(trigger.update(-0.5, 0, at(2)));
    EXPECT_FALSE(trigger.update(-0.5, 0, at(4)));
    EXPECT_TRUE(trigger.update(-0.5, 0, at(5)));
}

TEST(TiltTrigger, anUntiltedReadingRestartsTheHold) {
    TiltTrigger trigger = systemTrigger();
    trigger.update(-0.5, 0, at(0));
    trigger.update(-0.5, 0, at(2));
    EXPECT_FALSE(trigger.update(0.0, 0, at(3)));
    for (double t = 4; t < 9; t += 1)
        EXPECT_FALSE(trigger.update(-0.5, 0, at(t))) << t;
    EXPECT_TRUE(trigger.update(-0.5, 0, at(9)));
}

TEST(TiltTrigger, aContinuingTiltFiresAgainAtTheFirstReadingAfterTheGap) {
    TiltTrigger trigger = systemTrigger();
    int fired = 0;
    double lastFire = -1;
    for (double t = 0; t <= 70; t += 0.5) {
        if (trigger.update(-0.5, 0, at(t))) {
            ++fired;
            lastFire = t;
        }
    }
    EXPECT_EQ(fired, 2);
    EXPECT_DOUBLE_EQ(lastFire, 65);
}

TEST(TiltTrigger, readingsOutOfOrderNeverFire) {
    TiltTrigger trigger = systemTrigger();
    trigger.update(-0.5, 0, at(100));
    EXPECT_FALSE(trigger.update(-0.5, 0, at(50)));
}
