// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FakeBackend.h"

#include <gtest/gtest.h>

using namespace tisko;
using namespace std::chrono_literals;

namespace {

struct SessionFixture : ::testing::Test {
    std::shared_ptr<test::FakeCamera> camera = std::make_shared<test::FakeCamera>();
    std::atomic<int> analysed{0};
    std::shared_ptr<CameraSession> session = test::fakeSession(camera, services());

    CameraSession::Services services() {
        CameraSession::Services services;
        services.isRunningSomewhere = [this](const CameraDevice&) {
            camera->record(QStringLiteral("usage"));
            return true;
        };
        services.measure = [this](const PixelBuffer&) {
            ++analysed;
            return std::optional<HeadMeasurement>(HeadMeasurement{0.2, 0.08, 0.5, 0.3});
        };
        return services;
    }

    bool start(double settle) {
        std::promise<bool> started;
        session->start(settle, [&started](bool running) { started.set_value(running); });
        return started.get_future().get();
    }
};

} // namespace

TEST_F(SessionFixture, startsAskingUsageFirstInTheCurrentFormatOrTheFirstOfTheForcedWidth) {
    const std::pair<std::optional<int>, const char*> cases[] = {
        {std::nullopt, "1280x720"}, {640, "640x480"}, {1000, "1280x720"} /* no such width */};
    for (const auto& [width, format] : cases) {
        camera = std::make_shared<test::FakeCamera>();
        session = test::fakeSession(camera, services());
        session->forcedWidth = width;
        ASSERT_TRUE(start(0.35));
        EXPECT_EQ(camera->recorded(),
                  (QStringList{QStringLiteral("usage"), QStringLiteral("open"),
                               QStringLiteral("setFormat ") + QLatin1String(format),
                               QStringLiteral("start")}));
        EXPECT_EQ(session->formatAtStart(), QLatin1String(format));
        EXPECT_TRUE(session->sharedWithAnotherApp());
    }
}

TEST_F(SessionFixture, framesDuringSettleAndWithinTheGapAreCountedButNotAnalysed) {
    std::vector<std::optional<HeadMeasurement>> results;
    session->onMeasurement = [&results](std::optional<HeadMeasurement> m) { results.push_back(m); };
    ASSERT_TRUE(start(0.35));
    camera->push(*session, 0ms);   // settling
    camera->push(*session, 340ms); // still settling
    camera->push(*session, 10ms);  // settled: analysed
    camera->push(*session, 149ms); // inside the gap
    camera->push(*session, 1ms);   // 0.15 s after the last analysis: analysed
    camera->push(*session, 150ms,
                 std::make_shared<CapturedFrame>()); // no pixels: dropped, gap clock untouched
    camera->push(*session, 10ms);
    EXPECT_EQ(session->framesSeen(), 7);
    EXPECT_EQ(analysed, 3);
    EXPECT_EQ(results.size(), 3u);
}
