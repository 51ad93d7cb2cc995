#include "FakeBackend.h"

#include <gtest/gtest.h>

using namespace tisko;
using namespace std::chrono_literals;

namespace {

struct SessionFixture : ::testing::Test {
    std::shared_ptr<test::FakeBackend::Shared> shared = std::make_shared<test::FakeBackend::Shared>();
    test::FakeBackend* backend = nullptr;
    std::atomic<CameraSession::Clock::time_point> now{CameraSession::Clock::time_point{} + 100s};
    std::atomic<int> analysed{0};
    std::shared_ptr<CameraSession> session;

    void SetUp() override {
        auto owned = std::make_unique<test::FakeBackend>(shared);
        backend = owned.get();
        CameraSession::Services services;
        services.now = [this] { return now.load(); };
        services.isRunningSomewhere = [this](const CameraDevice&) {
            shared->record(QStringLiteral("usage"));
            return true;
        };
        services.measure = [this](const PixelBuffer&) {
            ++analysed;
            return std::optional<HeadMeasurement>(HeadMeasurement{0.2, 0.08, 0.5, 0.3});
        };
        session = std::make_shared<CameraSession>(
            CameraDevice{QStringLiteral("cam"), QStringLiteral("Cam"), CameraDevice::Kind::V4l2, false, {}},
            std::move(owned), std::move(services));
    }

    bool start(double settle = 0.35) {
        std::promise<bool> started;
        session->start(settle, [&started](bool running) { started.set_value(running); });
        return started.get_future().get();
    }

    void push(const std::shared_ptr<const CapturedFrame>& frame = test::greyFrame()) {
        CameraBackend::FrameHandler handler;
        {
            std::lock_guard lock(shared->mutex);
            handler = shared->handler;
        }
        if (handler)
            handler(frame);
        test::drain(*session);
    }
};

} // namespace

TEST_F(SessionFixture, startsInOrderWithTheCurrentFormatAskingUsageFirst) {
    ASSERT_TRUE(start());
    EXPECT_EQ(shared->calls, (QStringList{QStringLiteral("usage"), QStringLiteral("open"),
                                          QStringLiteral("setFormat 1280x720"), QStringLiteral("start")}));
    EXPECT_EQ(session->formatAtStart(), QStringLiteral("1280x720"));
    EXPECT_TRUE(session->sharedWithAnotherApp());
}

TEST_F(SessionFixture, forcedWidthTakesTheFirstFormatOfExactlyThatWidth) {
    session->forcedWidth = 640;
    ASSERT_TRUE(start());
    EXPECT_EQ(session->formatAtStart(), QStringLiteral("640x480"));
}

TEST_F(SessionFixture, forcedWidthThatNoFormatHasKeepsTheCurrentOne) {
    session->forcedWidth = 1000;
    ASSERT_TRUE(start());
    EXPECT_EQ(session->formatAtStart(), QStringLiteral("1280x720"));
    EXPECT_EQ(CameraSession::describe({1920, 1080}), QStringLiteral("1920x1080"));
}

TEST_F(SessionFixture, aCameraThatCannotOpenOrStreamReportsNotRunning) {
    backend->opens = false;
    EXPECT_FALSE(start());
    EXPECT_FALSE(shared->calls.contains(QStringLiteral("start")));

    SetUp();
    backend->starts = false;
    EXPECT_FALSE(start());
}

TEST_F(SessionFixture, framesDuringSettleAndWithinTheGapAreCountedButNotAnalysed) {
    std::vector<std::optional<HeadMeasurement>> results;
    session->onMeasurement = [&results](std::optional<HeadMeasurement> m) { results.push_back(m); };
    ASSERT_TRUE(start(0.35));
    push();                       // t = 0: settling
    now = now.load() + 340ms;
    push();                       // still settling
    now = now.load() + 10ms;
    push();                       // settled: analysed
    now = now.load() + 149ms;
    push();                       // inside the gap
    now = now.load() + 1ms;
    push();                       // 0.15 s after the last analysis: analysed
    push(std::make_shared<CapturedFrame>()); // no pixels: dropped, gap clock untouched
    now = now.load() + 150ms;
    push();
    EXPECT_EQ(session->framesSeen(), 7);
    EXPECT_EQ(analysed, 3);
    EXPECT_EQ(results.size(), 3u);
}

TEST_F(SessionFixture, stopClosesTheCameraAndLaterFramesAreIgnored) {
    int calls = 0;
    session->onMeasurement = [&calls](std::optional<HeadMeasurement>) { ++calls; };
    ASSERT_TRUE(start(0));
    push();
    const auto handler = shared->handler;
    session->stop();
    test::drain(*session);
    EXPECT_EQ(shared->calls.back(), QStringLiteral("stop"));
    handler(test::greyFrame()); // a frame already on its way
    test::drain(*session);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(session->onMeasurement);
}
