#include "TiskoCore/PostureJudge.h"

#include <gtest/gtest.h>

using namespace tisko;

namespace {

Calibration referenceOf(HeadMeasurement m) {
    Calibration c;
    c.reference = m;
    return c;
}

const Calibration normalReference = referenceOf({0.25, 0.125, 0.75, 0.25});
const Thresholds normal = Thresholds::sensitivity(3);

PostureVerdict judge(HeadMeasurement m, bool watchCloseness = true, bool watchSlouch = true) {
    return PostureJudge::judge(m, normalReference, normal, watchCloseness, watchSlouch);
}

} // namespace

TEST(HeadMeasurementMedian, eachFieldTakesItsMiddleOrTheMeanOfTheTwoMiddles) {
    EXPECT_FALSE(HeadMeasurement::median({}).has_value());
    const HeadMeasurement one{0.3, 0.1, 0.5, 0.4};
    EXPECT_EQ(HeadMeasurement::median({one}), one);
    EXPECT_EQ(*HeadMeasurement::median({{0.1, std::nullopt, 0.9, 0.5},
                                        {0.3, std::nullopt, 0.1, 0.2},
                                        {0.2, std::nullopt, 0.5, 0.9}}),
              (HeadMeasurement{0.2, std::nullopt, 0.5, 0.5}));
    auto width = [](double w) { return HeadMeasurement{w, std::nullopt, 0.5, 0.2}; };
    EXPECT_DOUBLE_EQ(
        HeadMeasurement::median({width(0.10), width(0.20), width(0.30), width(0.40)})->faceWidth,
        0.25);
}

TEST(HeadMeasurementMedian, eyeDistanceNeedsAtLeastHalfTheSamples) {
    const HeadMeasurement without{0.2, std::nullopt, 0.5, 0.2};
    auto with = [](double eyes) { return HeadMeasurement{0.2, eyes, 0.5, 0.2}; };
    EXPECT_DOUBLE_EQ(*HeadMeasurement::median({with(0.1), with(0.2), without})->eyeDistance, 0.15);
    EXPECT_FALSE(HeadMeasurement::median({with(0.1), without, without, without})->eyeDistance);
    EXPECT_DOUBLE_EQ(*HeadMeasurement::median({with(0.1), without})->eyeDistance, 0.1);
    EXPECT_DOUBLE_EQ(
        *HeadMeasurement::median({with(0.1), with(0.3), without, without})->eyeDistance, 0.2);
}

TEST(PostureJudge, workedExamplesAtNormalSensitivity) {
    EXPECT_EQ(judge({0.25, 0.15625, 0.75, 0.25}), PostureVerdict::tooClose(1.25));
    EXPECT_EQ(judge({0.3125, std::nullopt, 0.75, 0.25}), PostureVerdict::tooClose(1.25));
    EXPECT_EQ(judge({0.25, 0.125, 0.625, 0.25}), PostureVerdict::slouching(0.5));
    EXPECT_EQ(judge({0.25, 0.15625, 0.625, 0.25}, false), PostureVerdict::fine());
    EXPECT_EQ(judge({0.25, 0.125, 0.70, 0.25}), PostureVerdict::fine());
}

TEST(PostureJudge, valuesExactlyAtAThresholdAreBad) {
    const Thresholds t{0.25, 0.5};
    const Calibration c = referenceOf({0.5, std::nullopt, 0.75, 0.25});
    EXPECT_EQ(
        PostureJudge::judge(HeadMeasurement{0.625, std::nullopt, 0.75, 0.25}, c, t, true, true),
        PostureVerdict::tooClose(1.25));
    EXPECT_EQ(
        PostureJudge::judge(HeadMeasurement{0.5, std::nullopt, 0.625, 0.25}, c, t, true, true),
        PostureVerdict::slouching(0.5));
    EXPECT_EQ(
        PostureJudge::judge(HeadMeasurement{0.5, std::nullopt, 0.6251, 0.25}, c, t, true, true),
        PostureVerdict::fine());
}

TEST(PostureJudge, tooCloseWinsAndHidesSlouchingEvenWhenNotWatched) {
    const HeadMeasurement closeAndLow{0.25, 0.15625, 0.5, 0.25};
    EXPECT_EQ(judge(closeAndLow).kind(), PostureVerdict::Kind::tooClose);
    EXPECT_EQ(judge(closeAndLow, false, true), PostureVerdict::fine());
    EXPECT_EQ(judge(closeAndLow, false, false), PostureVerdict::fine());
    EXPECT_EQ(judge({0.25, 0.125, 0.5, 0.25}, true, false), PostureVerdict::fine());
}

TEST(PostureJudge, noMeasurementIsAwayAndAwayIsNotBad) {
    EXPECT_EQ(PostureJudge::judge(std::nullopt, normalReference, normal, true, true),
              PostureVerdict::away());
    EXPECT_FALSE(PostureVerdict::away().isBad());
    EXPECT_FALSE(PostureVerdict::fine().isBad());
    EXPECT_TRUE(PostureVerdict::slouching(0.1).isBad());
}

TEST(PostureJudge, sizeRatioFallsBackFromEyesToWidthToOne) {
    const HeadMeasurement withEyes{0.3, 0.2, 0.5, 0.2};
    const HeadMeasurement noEyes{0.3, std::nullopt, 0.5, 0.2};
    EXPECT_DOUBLE_EQ(PostureJudge::closeness(withEyes, {0.2, 0.1, 0.5, 0.2}), 2.0);
    // Only one side has eyes: width.
    EXPECT_DOUBLE_EQ(PostureJudge::closeness(noEyes, {0.2, 0.1, 0.5, 0.2}), 1.5);
    EXPECT_DOUBLE_EQ(PostureJudge::closeness(withEyes, {0.2, std::nullopt, 0.5, 0.2}), 1.5);
    // A reference eye distance of 0 is no eye distance; a width of 0 as well gives 1.
    EXPECT_DOUBLE_EQ(PostureJudge::closeness(withEyes, {0.2, 0.0, 0.5, 0.2}), 1.5);
    EXPECT_DOUBLE_EQ(PostureJudge::closeness(withEyes, {0.0, 0.0, 0.5, 0.2}), 1.0);
    // The current values are not guarded.
    EXPECT_DOUBLE_EQ(PostureJudge::closeness({0.3, 0.0, 0.5, 0.2}, {0.2, 0.1, 0.5, 0.2}), 0.0);
}

TEST(PostureJudge, dropIsGuardedByTheReferenceHeightAndRisingNeverSlouches) {
    EXPECT_DOUBLE_EQ(
        PostureJudge::drop({0.2, std::nullopt, 0.1, 0.2}, {0.2, std::nullopt, 0.9, 0.0}), 0.0);
    EXPECT_EQ(PostureJudge::judge(HeadMeasurement{0.2, std::nullopt, 0.1, 0.2},
                                  referenceOf({0.2, std::nullopt, 0.9, 0.0}), normal, true, true),
              PostureVerdict::fine());
    EXPECT_LT(PostureJudge::drop({0.25, 0.125, 0.95, 0.25}, normalReference.reference), 0);
    EXPECT_EQ(judge({0.25, 0.125, 0.95, 0.25}), PostureVerdict::fine());
}

TEST(Thresholds, presetsClampOutsideOneToFive) {
    EXPECT_EQ(Thresholds::sensitivity(0), (Thresholds{0.30, 0.80}));
    EXPECT_EQ(Thresholds::sensitivity(-7), Thresholds::sensitivity(1));
    EXPECT_EQ(Thresholds::sensitivity(2), (Thresholds{0.22, 0.65}));
    EXPECT_EQ(Thresholds::sensitivity(3), (Thresholds{0.15, 0.50}));
    EXPECT_EQ(Thresholds::sensitivity(4), (Thresholds{0.11, 0.40}));
    EXPECT_EQ(Thresholds::sensitivity(9), (Thresholds{0.07, 0.30}));
}
