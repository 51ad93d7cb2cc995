// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EventLoop.h"
#include "PhotoFrames.h"
#include "TestFiles.h"
#include "Tisko/Camera/CameraLook.h"
#include "Tisko/Camera/FaceAnalyzer.h"
#include "Tisko/Camera/FaceModel.h"
#include "Tisko/Camera/SampleBackend.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <thread>

using namespace tisko;
using namespace std::chrono_literals;

namespace {

constexpr int lookFrames = 6;

std::shared_ptr<const CapturedFrame> greyFrame() {
    return std::make_shared<CapturedFrame>(
        CapturedFrame{std::make_shared<const std::vector<std::uint8_t>>(16 * 16, std::uint8_t{90}),
                      16, 16, 16, PixelFormat::Grey8});
}

// A camera under the test's control, with the clock and timer of its session: its backend
// records what the session asks of it, the test pushes frames as the capture thread would.
struct FakeCamera {
    using Task = std::shared_ptr<std::function<void()>>; // emptied when withdrawn or run
    std::mutex mutex;
    QStringList calls;
    CameraBackend::FrameHandler handler;
    bool opens = true, starts = true;
    bool busy = false; // another process holds the camera (with opens or starts false)
    std::atomic<CameraSession::Clock::time_point> now{CameraSession::Clock::time_point{} + 100s};
    std::vector<std::pair<CameraSession::Clock::time_point, Task>> timers;

    void record(const QString& call) {
        std::lock_guard lock(mutex);
        calls << call;
    }
    QStringList recorded() {
        std::lock_guard lock(mutex);
        return calls;
    }
    CameraBackend::FrameHandler currentHandler() {
        std::lock_guard lock(mutex);
        return handler;
    }
    // Moves the clock on by `time` and runs the timers that came due.
    void advance(std::chrono::milliseconds time) {
        now = now.load() + time;
        std::vector<std::function<void()>> due;
        {
            std::lock_guard lock(mutex);
            for (auto& [when, task] : timers) {
                if (when <= now.load() && *task)
                    due.push_back(std::exchange(*task, nullptr));
            }
        }
        for (const auto& task : due)
            task();
    }
    // Hands `frame` to the session `after` the previous one and waits until it is handled.
    void push(CameraSession& session, std::chrono::milliseconds after,
              std::shared_ptr<const CapturedFrame> frame = greyFrame()) {
        advance(after);
        if (const auto deliver = currentHandler())
            deliver(std::move(frame));
        std::promise<void> done;
        session.post([&done] { done.set_value(); });
        done.get_future().wait();
    }
};

// The backend of a FakeCamera: its own format is 1280x720.
struct FakeBackend : CameraBackend {
    std::shared_ptr<FakeCamera> camera;
    bool running = false;

    explicit FakeBackend(std::shared_ptr<FakeCamera> fake)
        : camera(std::move(fake)) {}
    bool open() override {
        camera->record(QStringLiteral("open"));
        return camera->opens;
    }
    std::optional<FrameSize> activeFormat() override { return FrameSize{1280, 720}; }
    std::vector<FrameSize> formats() override {
        return {{640, 480}, {1920, 1080}, {1280, 720}, {640, 360}};
    }
    bool setFormat(FrameSize size) override {
        camera->record(QStringLiteral("setFormat ") + CameraSession::describe(size));
        return true;
    }
    bool start(FrameHandler handler) override {
        camera->record(QStringLiteral("start"));
        std::lock_guard lock(camera->mutex);
        camera->handler = std::move(handler);
        return running = camera->starts;
    }
    bool isRunning() const override { return running; }
    bool busy() const override { return camera->busy; }
    void stop() override {
        camera->record(QStringLiteral("stop"));
        std::lock_guard lock(camera->mutex);
        camera->handler = nullptr;
        running = false;
    }
};

// A session on the fake camera "cam-1", on its clock and timer.
std::shared_ptr<CameraSession> fakeSession(const std::shared_ptr<FakeCamera>& camera,
                                           CameraSession::Services services) {
    services.now = [camera] { return camera->now.load(); };
    const std::weak_ptr<FakeCamera> weak = camera;
    services.after = [weak](CameraSession::Clock::duration delay, std::function<void()> task) {
        const auto owner = weak.lock();
        auto held = std::make_shared<std::function<void()>>(std::move(task));
        std::lock_guard lock(owner->mutex);
        owner->timers.emplace_back(owner->now.load() + delay, held);
        return CameraSession::Cancel([weak, held] {
            std::function<void()> withdrawn; // let go outside the lock
            if (const auto alive = weak.lock()) {
                std::lock_guard inner(alive->mutex);
                withdrawn = std::exchange(*held, nullptr);
            }
        });
    };
    return std::make_shared<CameraSession>(
        CameraDevice{
            QStringLiteral("cam-1"), QStringLiteral("Cam"), CameraDevice::Kind::V4l2, false, {}},
        std::make_unique<FakeBackend>(camera), std::move(services));
}

struct LookFixture : ::testing::Test {
    QCoreApplication& app = test::application();
    std::shared_ptr<FakeCamera> camera;
    std::atomic<int> measured{0};
    std::vector<LookResult> results;
    bool taking = false;
    bool everyCompletionAfterTakeOnTheMainThread = true;

    // A session on a new fake camera; one frame in three has no face, the others a face of
    // growing width.
    std::shared_ptr<CameraSession> makeSession() {
        camera = std::make_shared<FakeCamera>();
        CameraSession::Services services;
        services.isRunningSomewhere = [](const CameraDevice&) { return false; };
        services.measure = [this](const PixelBuffer&) -> std::optional<HeadMeasurement> {
            const int n = ++measured;
            if (n % 3 == 0)
                return std::nullopt;
            return HeadMeasurement{0.1 * n, std::nullopt, 0.5, 0.3};
        };
        return fakeSession(camera, std::move(services));
    }

    template <typename Camera> void take(const Camera& which, double timeout) {
        taking = true;
        CameraLook::take(which, lookFrames, timeout, [this](const LookResult& result) {
            if (taking || QThread::currentThread() != app.thread())
                everyCompletionAfterTakeOnTheMainThread = false;
            results.push_back(result);
        });
        taking = false;
    }

    bool waitForStart() {
        return test::waitUntil(
            [this] { return camera->recorded().contains(QStringLiteral("start")); });
    }
    // A frame past the settle time and the gap.
    void push(CameraSession& session) { camera->push(session, 400ms); }

    // Waits for the result; a second one would have been queued by then.
    void waitForResult(std::chrono::milliseconds limit = 5s) {
        test::waitUntil([this] { return !results.empty(); }, limit);
        QCoreApplication::processEvents();
    }
    // The session is let go: nothing (a pending timeout) holds it until its time.
    static bool released(std::shared_ptr<CameraSession>& session) {
        const std::weak_ptr<CameraSession> ended = std::exchange(session, nullptr);
        return test::waitUntil([&] { return ended.expired(); });
    }

    void TearDown() override { EXPECT_TRUE(everyCompletionAfterTakeOnTheMainThread); }
};

} // namespace

TEST_F(LookFixture, sixFramesEndTheLookWithTheMedianAndReleaseTheSessionAtOnce) {
    auto session = makeSession();
    take(session, 30);
    ASSERT_TRUE(waitForStart());
    for (int i = 0; i < lookFrames + 1; ++i)
        push(*session);
    waitForResult();
    ASSERT_EQ(results.size(), 1u);
    const LookResult& result = results[0];
    EXPECT_EQ(result.analysed, lookFrames);
    EXPECT_EQ(result.withFace, 4); // frames 3 and 6 had none
    ASSERT_TRUE(result.measurement);
    EXPECT_DOUBLE_EQ(result.measurement->faceWidth, (0.2 + 0.4) / 2); // median of .1 .2 .4 .5
    EXPECT_TRUE(released(session));                                   // the timeout is withdrawn
}

// A camera that stops sending frames mid-look: the timeout ends the look.
TEST_F(LookFixture, theTimeoutEndsTheLookWithWhatItHasAndLaterFramesAreIgnored) {
    auto session = makeSession();
    take(session, 1.0);
    ASSERT_TRUE(waitForStart());
    const auto handler = camera->currentHandler();
    for (int i = 0; i < 3; ++i)
        push(*session); // the third comes after the timeout, at 1.2 s
    waitForResult();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].analysed, 2);
    EXPECT_FALSE(results[0].failed);
    EXPECT_EQ(camera->recorded().back(), QStringLiteral("stop"));
    handler(greyFrame()); // a frame already on its way when the camera stopped
    push(*session);
    QCoreApplication::processEvents();
    EXPECT_EQ(results.size(), 1u);
    EXPECT_EQ(measured, 2);
    EXPECT_TRUE(released(session));
}

TEST_F(LookFixture, withoutCameraOrWhenTheCameraDoesNotOpenOrStreamTheLookFails) {
    take(std::shared_ptr<CameraSession>(), 2.5);
    waitForResult();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], (LookResult{std::nullopt, 0, 0, QString(), false, QString(), true}));
    for (const bool opens : {false, true}) {
        results.clear();
        auto session = makeSession();
        camera->opens = opens;
        camera->starts = false;
        camera->busy = !opens; // held by another application
        take(session, 2.5);
        waitForResult();
        ASSERT_EQ(results.size(), 1u);
        EXPECT_TRUE(results[0].failed);
        EXPECT_EQ(results[0].cameraBusy, !opens);
        EXPECT_EQ(results[0].cameraID, QStringLiteral("cam-1"));
        EXPECT_EQ(camera->recorded().contains(QStringLiteral("start")), opens);
    }
}

TEST_F(LookFixture, theSixthFrameRacingTheTimeoutCompletesOnce) {
    for (int round = 0; round < 40; ++round) {
        results.clear();
        auto session = makeSession();
        take(session, 0);
        ASSERT_TRUE(waitForStart());
        std::thread frames([&] {
            for (int i = 0; i < 8; ++i)
                push(*session);
        });
        for (int i = 0; i < round * 50; ++i)
            std::this_thread::yield();
        camera->advance(0ms); // the timeout, on this thread
        frames.join();
        waitForResult();
        ASSERT_EQ(results.size(), 1u) << "round " << round;
        EXPECT_LE(results[0].analysed, lookFrames);
        EXPECT_FALSE(results[0].failed);
    }
}

TEST_F(LookFixture, aLookThroughASampleCameraMeasuresThePhotographAndAnEmptyFolderFails) {
    const QString photo = test::photoPath(QStringLiteral("grace_hopper.jpg"));
    const QImage image = test::loadPhoto(QStringLiteral("grace_hopper.jpg"));
    ASSERT_FALSE(image.isNull()) << "run tests/data/fetch-photos";
    const auto expected = FaceAnalyzer::measure(test::viewOf(image));
    ASSERT_TRUE(expected);
    QTemporaryDir dir;
    ASSERT_TRUE(test::writeFile(dir.filePath(QStringLiteral("broken.jpg")),
                                "\xff\xd8\xff\xe0 not really a jpeg"));

    qputenv("TISKO_CAMERAS", (photo + QStringLiteral("::") + dir.path()).toLocal8Bit());
    // A long timeout: this is about what is measured, not how fast (see the benchmarks).
    take(std::optional<QString>(QStringLiteral("file:") + photo), 20);
    waitForResult(30s);
    take(std::optional<QString>(QStringLiteral("file:") + dir.path()), 2.5);
    test::waitUntil([this] { return results.size() == 2; });
    qunsetenv("TISKO_CAMERAS");
    ASSERT_EQ(results.size(), 2u);
    const LookResult& result = results[0];
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.cameraID, QStringLiteral("file:") + photo);
    EXPECT_EQ(result.format, QStringLiteral("512x600"));
    EXPECT_EQ(result.analysed, lookFrames);
    EXPECT_EQ(result.withFace, lookFrames);
    ASSERT_TRUE(result.measurement);
    // The frames after the first are searched around the face the one before showed, and
    // their landmarks start from its box: they settle on the same face within about 1 %.
    EXPECT_NEAR(result.measurement->faceWidth, expected->faceWidth, 0.02 * expected->faceWidth);
    EXPECT_NEAR(result.measurement->faceY, expected->faceY, 0.02 * expected->faceHeight);
    EXPECT_TRUE(results[1].failed);
    EXPECT_EQ(results[1].cameraID, QStringLiteral("file:") + dir.path());
    // Ended by its frames, the look lets the session and the landmark model go at once.
    EXPECT_TRUE(test::waitUntil([] { return !FaceModel::isHeld(); }));
}

TEST(SampleCamera, aFolderIsDecodedOnePictureAtATimeAsItPlays) {
    constexpr int pictures = 1000;
    QTemporaryDir dir;
    QImage tiny(8, 6, QImage::Format_RGB32);
    tiny.fill(Qt::gray);
    ASSERT_TRUE(tiny.save(dir.filePath(QStringLiteral("0.png"))));
    ASSERT_TRUE(test::writeFile(dir.filePath(QStringLiteral("5.png")), "not a picture"));
    for (int i = 1; i < pictures; ++i)
        QFile::copy(dir.filePath(QStringLiteral("0.png")),
                    dir.filePath(QStringLiteral("%1.png").arg(i)));

    SampleBackend camera(dir.path());
    ASSERT_TRUE(camera.open());
    EXPECT_EQ(camera.decodedPictures(), 1);
    EXPECT_EQ(camera.activeFormat(), (FrameSize{8, 6}));
    std::atomic<int> frames{0};
    ASSERT_TRUE(camera.start([&frames](std::shared_ptr<const CapturedFrame> frame) {
        if (frame->pixels())
            ++frames;
    }));
    ASSERT_TRUE(test::waitUntil([&] { return frames >= 8; }));
    camera.stop();
    // One decode per frame delivered, plus the one that failed and the one after the last.
    EXPECT_LE(camera.decodedPictures(), frames + 2);
}

// A session asks whether the camera is in use before opening it, opens it in its current
// format or the first of a forced width, lets the picture settle, and analyses no two
// frames closer than the gap.
TEST(SessionFixture, startsAskingUsageFirstInTheCurrentOrForcedFormatThenKeepsSettleAndGap) {
    const std::pair<std::optional<int>, const char*> cases[] = {
        {std::nullopt, "1280x720"}, {640, "640x480"}, {1000, "1280x720"} /* no such width */};
    for (const auto& [width, format] : cases) {
        const auto camera = std::make_shared<FakeCamera>();
        std::atomic<int> analysed{0};
        CameraSession::Services services;
        services.isRunningSomewhere = [camera](const CameraDevice&) {
            camera->record(QStringLiteral("usage"));
            return true;
        };
        services.measure = [&analysed](const PixelBuffer&) {
            ++analysed;
            return std::optional<HeadMeasurement>(HeadMeasurement{0.2, 0.08, 0.5, 0.3});
        };
        const auto session = fakeSession(camera, services);
        session->forcedWidth = width;
        std::promise<bool> started;
        session->start(0.35, [&started](bool running) { started.set_value(running); });
        ASSERT_TRUE(started.get_future().get());
        EXPECT_EQ(camera->recorded(),
                  (QStringList{QStringLiteral("usage"), QStringLiteral("open"),
                               QStringLiteral("setFormat ") + QLatin1String(format),
                               QStringLiteral("start")}));
        EXPECT_EQ(session->formatAtStart(), QLatin1String(format));
        EXPECT_TRUE(session->sharedWithAnotherApp());

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
        session->stop();
        std::promise<bool> again; // a stopped session does not start again
        session->start(0, [&again](bool running) { again.set_value(running); });
        EXPECT_FALSE(again.get_future().get());
        EXPECT_FALSE(session->isRunning());
    }
}

// At the end of the process every session stops, its queue finishes the frame in hand and its
// look's pending timeout is withdrawn: nothing of the camera's runs once main has returned and
// static objects (the face detector) go. A queue still busy is waited for only so long.
TEST(SessionTimeouts, stoppingAllLeavesNothingRunningAndWaitsForABusyQueueOnlySoLong) {
    const auto camera = std::make_shared<FakeCamera>();
    std::promise<void> inAnalysis;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> analysed{0};
    CameraSession::Services services;
    services.measure = [&](const PixelBuffer&) -> std::optional<HeadMeasurement> {
        if (analysed++ == 0) {
            inAnalysis.set_value();
            released.wait();
        }
        return std::nullopt;
    };
    auto session = std::make_shared<CameraSession>(
        CameraDevice{QStringLiteral("cam-1"), {}, CameraDevice::Kind::V4l2, false, {}},
        std::make_unique<FakeBackend>(camera), std::move(services));
    std::promise<bool> started;
    session->start(0, [&started](bool running) { started.set_value(running); });
    ASSERT_TRUE(started.get_future().get());
    session->after(3600, [session] {}); // a look's timeout holds its session
    camera->currentHandler()(greyFrame());
    inAnalysis.get_future().wait();

    EXPECT_FALSE(CameraSession::stopAll(200ms));
    release.set_value();
    EXPECT_TRUE(CameraSession::stopAll(5s));
    EXPECT_TRUE(camera->recorded().contains(QStringLiteral("stop")));
    EXPECT_FALSE(camera->currentHandler());
    EXPECT_EQ(analysed, 1);
    const std::weak_ptr<CameraSession> ended = std::exchange(session, nullptr);
    EXPECT_TRUE(ended.expired());
}
