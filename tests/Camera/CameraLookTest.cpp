#include "FakeBackend.h"
#include "PhotoFrames.h"
#include "Tisko/Camera/CameraLook.h"
#include "Tisko/Camera/FaceAnalyzer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace tisko;
using namespace std::chrono_literals;

namespace {

int argc = 1;
char name[] = "camera-look-test";
char* argv[] = {name, nullptr};

struct LookFixture : ::testing::Test {
    QCoreApplication app{argc, argv};
    std::shared_ptr<test::FakeBackend::Shared> shared = std::make_shared<test::FakeBackend::Shared>();
    test::FakeBackend* backend = nullptr;
    std::atomic<CameraSession::Clock::time_point> now{CameraSession::Clock::time_point{} + 100s};
    std::atomic<int> measured{0};
    std::vector<LookResult> results;
    std::atomic<bool> mainThreadOnly{true};

    std::shared_ptr<CameraSession> makeSession() {
        shared = std::make_shared<test::FakeBackend::Shared>();
        auto owned = std::make_unique<test::FakeBackend>(shared);
        backend = owned.get();
        CameraSession::Services services;
        services.now = [this] { return now.load(); };
        services.isRunningSomewhere = [](const CameraDevice&) { return false; };
        // Every other frame has a face, of growing width.
        services.measure = [this](const PixelBuffer&) -> std::optional<HeadMeasurement> {
            const int n = ++measured;
            if (n % 3 == 0)
                return std::nullopt;
            return HeadMeasurement{0.1 * n, std::nullopt, 0.5, 0.3};
        };
        return std::make_shared<CameraSession>(
            CameraDevice{QStringLiteral("cam-1"), QStringLiteral("Cam"), CameraDevice::Kind::V4l2, false, {}},
            std::move(owned), std::move(services));
    }

    std::function<void(const LookResult&)> recorder() {
        return [this](const LookResult& result) {
            if (QThread::currentThread() != app.thread())
                mainThreadOnly = false;
            results.push_back(result);
        };
    }

    bool waitForHandler() {
        for (int i = 0; i < 2000; ++i) {
            {
                std::lock_guard lock(shared->mutex);
                if (shared->calls.contains(QStringLiteral("start")))
                    return true;
            }
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }

    void push(CameraSession& session) {
        CameraBackend::FrameHandler handler;
        {
            std::lock_guard lock(shared->mutex);
            handler = shared->handler;
        }
        now = now.load() + 400ms; // past the settle time, and past the gap each time
        if (handler)
            handler(test::greyFrame());
        test::drain(session);
    }

    void spin(std::size_t count, int ms = 5000) {
        QElapsedTimer timer;
        timer.start();
        while (results.size() < count && timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
};

} // namespace

TEST_F(LookFixture, withoutCameraTheLookFailsAfterTakeReturns) {
    bool returned = false;
    CameraLook::take(std::shared_ptr<CameraSession>(), 6, 2.5, [&](const LookResult& result) {
        EXPECT_TRUE(returned);
        results.push_back(result);
    });
    returned = true;
    spin(1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], (LookResult{std::nullopt, 0, 0, QString(), false, QString(), true}));
}

TEST_F(LookFixture, sixFramesEndTheLookWithTheMedianOfThoseWithAFace) {
    auto session = makeSession();
    CameraLook::take(session, 6, 30, recorder());
    ASSERT_TRUE(waitForHandler());
    for (int i = 0; i < 7; ++i)
        push(*session);
    spin(1);
    ASSERT_EQ(results.size(), 1u);
    const LookResult& result = results[0];
    EXPECT_EQ(result.analysed, 6);
    EXPECT_EQ(result.withFace, 4); // frames 3 and 6 had none
    ASSERT_TRUE(result.measurement);
    EXPECT_DOUBLE_EQ(result.measurement->faceWidth, (0.2 + 0.4) / 2); // median of .1 .2 .4 .5
    EXPECT_EQ(result.cameraID, QStringLiteral("cam-1"));
    EXPECT_EQ(result.format, QStringLiteral("1280x720"));
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(shared->calls.back(), QStringLiteral("stop"));
    EXPECT_TRUE(mainThreadOnly);
}

TEST_F(LookFixture, theTimeoutEndsTheLookWithWhatItHasAndLaterFramesAreIgnored) {
    auto session = makeSession();
    CameraLook::take(session, 6, 0.3, recorder());
    ASSERT_TRUE(waitForHandler());
    const auto handler = shared->handler;
    for (int i = 0; i < 3; ++i)
        push(*session);
    spin(1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].analysed, 3);
    EXPECT_EQ(results[0].withFace, 2);
    EXPECT_FALSE(results[0].failed);
    handler(test::greyFrame());
    test::drain(*session);
    spin(2, 400);
    EXPECT_EQ(results.size(), 1u);
    EXPECT_EQ(measured, 3);
}

TEST_F(LookFixture, aSessionThatDoesNotStartFailsWithTheCameraId) {
    auto session = makeSession();
    backend->starts = false;
    CameraLook::take(session, 6, 2.5, recorder());
    spin(1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].failed);
    EXPECT_EQ(results[0].cameraID, QStringLiteral("cam-1"));
    EXPECT_TRUE(results[0].format.isEmpty());
    EXPECT_FALSE(results[0].measurement);
}

TEST_F(LookFixture, theSixthFrameRacingTheTimeoutCompletesOnce) {
    for (int round = 0; round < 40; ++round) {
        results.clear();
        auto session = makeSession();
        CameraLook::take(session, 6, 0.005 * (round % 8), recorder());
        waitForHandler(); // with no delay the timeout may end the look before any frame
        std::thread frames([&] {
            for (int i = 0; i < 8; ++i)
                push(*session);
        });
        frames.join();
        spin(1);
        spin(2, 60);
        ASSERT_EQ(results.size(), 1u) << "round " << round;
        EXPECT_LE(results[0].analysed, 6);
        EXPECT_FALSE(results[0].failed);
    }
}

TEST_F(LookFixture, aLookThroughASampleCameraMeasuresThePhotograph) {
    const QString photo = test::photoPath(QStringLiteral("grace_hopper.jpg"));
    const QImage image = test::loadPhoto(QStringLiteral("grace_hopper.jpg"));
    ASSERT_FALSE(image.isNull()) << "run tests/data/fetch-photos";
    const auto expected = FaceAnalyzer::measure(test::viewOf(image));
    ASSERT_TRUE(expected);

    qputenv("TISKO_CAMERAS", photo.toLocal8Bit());
    // A long timeout: this is about what is measured, not how fast (see the benchmarks).
    CameraLook::take(QStringLiteral("file:") + photo, 6, 20, recorder());
    spin(1, 30000);
    qunsetenv("TISKO_CAMERAS");
    ASSERT_EQ(results.size(), 1u);
    const LookResult& result = results[0];
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.cameraID, QStringLiteral("file:") + photo);
    EXPECT_EQ(result.format, QStringLiteral("512x600"));
    EXPECT_EQ(result.analysed, 6);
    EXPECT_EQ(result.withFace, 6);
    ASSERT_TRUE(result.measurement);
    // The frames after the first are searched around the face the one before showed, and
    // their landmarks start from its box: they settle on the same face within about 1 %.
    EXPECT_NEAR(result.measurement->faceWidth, expected->faceWidth, 0.02 * expected->faceWidth);
    EXPECT_NEAR(result.measurement->faceY, expected->faceY, 0.02 * expected->faceHeight);
    EXPECT_TRUE(mainThreadOnly);
}

TEST_F(LookFixture, aSampleFolderWithoutPicturesFailsTheLook) {
    QTemporaryDir dir;
    QFile junk(dir.filePath(QStringLiteral("broken.jpg")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("\xff\xd8\xff\xe0 not really a jpeg");
    junk.close();
    qputenv("TISKO_CAMERAS", dir.path().toLocal8Bit());
    CameraLook::take(QStringLiteral("file:") + dir.path(), 6, 2.5, recorder());
    spin(1);
    qunsetenv("TISKO_CAMERAS");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].failed);
    EXPECT_EQ(results[0].cameraID, QStringLiteral("file:") + dir.path());
}
