// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/PostureJudge.h"
#include "TiskoCore/ReferenceCheck.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tisko;
using Problem = ReferenceCheck::Problem;

namespace {

Calibration referenceOf(HeadMeasurement m) {
    Calibration c;
    c.reference = m;
    return c;
}

constexpr std::nullopt_t noEyes = std::nullopt;

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

TEST(HeadMeasurementMedian, eachFieldTakesItsMiddleAndEyesNeedHalfTheSamples) {
    EXPECT_FALSE(HeadMeasurement::median({}).has_value());
    EXPECT_EQ(*HeadMeasurement::median({{0.1, noEyes, 0.9, 0.5},
                                        {0.3, noEyes, 0.1, 0.2},
                                        {0.2, noEyes, 0.5, 0.9},
                                        {0.5, noEyes, 0.7, 0.1},
                                        {0.4, noEyes, 0.3, 0.6}}),
              (HeadMeasurement{0.3, noEyes, 0.5, 0.5}));
    auto width = [](double w) { return HeadMeasurement{w, noEyes, 0.5, 0.2}; };
    EXPECT_DOUBLE_EQ(
        HeadMeasurement::median({width(0.1), width(0.2), width(0.3), width(0.4)})->faceWidth, 0.25);
    const HeadMeasurement without = width(0.2);
    auto with = [](double eyes) { return HeadMeasurement{0.2, eyes, 0.5, 0.2}; };
    EXPECT_DOUBLE_EQ(*HeadMeasurement::median({with(0.1), with(0.2), without})->eyeDistance, 0.15);
    EXPECT_FALSE(HeadMeasurement::median({with(0.1), without, without})->eyeDistance);
    EXPECT_DOUBLE_EQ(*HeadMeasurement::median({with(0.1), without})->eyeDistance, 0.1);
}

TEST(PostureJudge, valuesAtAThresholdAreBadAFlatReferenceNeverSlouchesAndEyesComeFirst) {
    const Thresholds t{0.25, 0.5};
    auto judge = [&](double width, double faceY, HeadMeasurement reference, bool close = true) {
        return PostureJudge::judge(HeadMeasurement{width, noEyes, faceY, 0.25},
                                   referenceOf(reference), t, close, true);
    };
    const HeadMeasurement reference{0.5, noEyes, 0.75, 0.25};
    EXPECT_EQ(judge(0.625, 0.75, reference), PostureVerdict::tooClose(1.25));
    // Judged too close before the drop, the verdict still carries the drop for the log.
    EXPECT_DOUBLE_EQ(judge(0.625, 0.625, reference).figures()->drop, 0.5);
    // A face that is too close also looks lower: never slouching, even with closeness unwatched.
    EXPECT_EQ(judge(0.625, 0.625, reference, false), PostureVerdict::fine());
    EXPECT_EQ(PostureJudge::judge(std::nullopt, referenceOf(reference), t, true, true),
              PostureVerdict::away());
    EXPECT_EQ(judge(0.5, 0.625, reference), PostureVerdict::slouching(0.5));
    EXPECT_EQ(judge(0.5, 0.6251, reference), PostureVerdict::fine());
    // A reference of no height guards the drop.
    EXPECT_DOUBLE_EQ(PostureJudge::drop({0.2, noEyes, 0.1, 0.2}, {0.2, noEyes, 0.9, 0.0}), 0.0);
    EXPECT_EQ(judge(0.5, 0.1, {0.5, noEyes, 0.9, 0.0}), PostureVerdict::fine());

    // The size ratio falls back from eyes to width to one.
    const HeadMeasurement withEyes{0.3, 0.2, 0.5, 0.2};
    EXPECT_DOUBLE_EQ(PostureJudge::closeness(withEyes, {0.2, 0.1, 0.5, 0.2}), 2.0);
    // Only one side has eyes, or the reference's are 0: width; no width either: 1.
    EXPECT_DOUBLE_EQ(PostureJudge::closeness({0.3, noEyes, 0.5, 0.2}, {0.2, 0.1, 0.5, 0.2}), 1.5);
    EXPECT_DOUBLE_EQ(PostureJudge::closeness(withEyes, {0.2, noEyes, 0.5, 0.2}), 1.5);
    EXPECT_DOUBLE_EQ(PostureJudge::closeness(withEyes, {0.2, 0.0, 0.5, 0.2}), 1.5);
    EXPECT_DOUBLE_EQ(PostureJudge::closeness(withEyes, {0.0, 0.0, 0.5, 0.2}), 1.0);
}

TEST(Thresholds, eachSensitivityStepCatchesOneMoreOfFiveFacesCloserAndFiveLower) {
    // Each face lies between two neighbouring presets: the least sensitive setting finds only
    // the last, the most sensitive all five; settings outside one to five act as the ends.
    const Calibration reference = referenceOf({0.5, noEyes, 0.75, 0.25});
    for (int level = 0; level <= 6; ++level) {
        const Thresholds t = Thresholds::sensitivity(level);
        int close = 0;
        for (double c : {1.10, 1.13, 1.20, 1.25, 1.35})
            close += PostureJudge::judge(HeadMeasurement{0.5 * c, noEyes, 0.75, 0.25}, reference, t,
                                         true, false)
                         .kind() == PostureVerdict::Kind::tooClose;
        int low = 0;
        for (double drop : {0.35, 0.45, 0.55, 0.70, 0.85})
            low += PostureJudge::judge(HeadMeasurement{0.5, noEyes, 0.75 - drop * 0.25, 0.25},
                                       reference, t, false, true)
                       .kind() == PostureVerdict::Kind::slouching;
        EXPECT_EQ(close, std::clamp(level, 1, 5)) << level;
        EXPECT_EQ(low, std::clamp(level, 1, 5)) << level;
    }
}

TEST(ReferenceCheck, judgesAFullWindowOfLooksThatSawSomebodyAndNamesTheCommonerProblem) {
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
    // Slouching wins a tie and loses to a majority.
    for (auto [closeCount, expected] :
         {std::pair{15, Problem::slouching}, {16, Problem::tooClose}}) {
        check.reset();
        recordMany(check, closeCount, tooClose);
        recordMany(check, enough - closeCount, low);
        recordMany(check, window - enough, PostureVerdict::fine());
        EXPECT_EQ(check.suspect(), expected) << closeCount;
    }
}
