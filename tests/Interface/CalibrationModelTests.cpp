// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The recording of a position on stepped time, through camera sessions whose frames and
// faces the test hands over.
#include "MonitorHarness.h"
#include "EventLoop.h"

#include "Tisko/Interface/CalibrationModel.h"
#include "Tisko/Interface/CalibrationView.h"
#include "Tisko/Interface/CameraPreview.h"
#include "TiskoCore/JsonCodec.h"

#include <QComboBox>
#include <QPainter>

#include <gtest/gtest.h>

#include <future>
#include <map>

namespace tisko::test {
namespace {

using namespace std::chrono_literals;
using Phase = CalibrationModel::Phase;

// A camera under the test's control: its frames, their faces, the session's clock.
struct Feed {
    std::mutex mutex;
    CameraBackend::FrameHandler handler;
    std::atomic<bool> running{false};
    bool starts = true;
    std::optional<HeadMeasurement> face;
    std::atomic<CameraSession::Clock::time_point> now{};
    std::function<void()> whileMeasuring; // holds the analysis when set
};

struct FeedBackend final : CameraBackend {
    explicit FeedBackend(std::shared_ptr<Feed> f)
        : feed(std::move(f)) {}
    bool open() override { return true; }
    std::optional<FrameSize> activeFormat() override { return FrameSize{64, 48}; }
    std::vector<FrameSize> formats() override { return {{64, 48}}; }
    bool setFormat(FrameSize) override { return true; }
    bool start(FrameHandler handler) override {
        std::lock_guard lock(feed->mutex);
        feed->handler = std::move(handler);
        return feed->running = feed->starts;
    }
    bool isRunning() const override { return feed->running; }
    void stop() override {
        std::lock_guard lock(feed->mutex);
        feed->handler = nullptr;
        feed->running = false;
    }
    std::shared_ptr<Feed> feed;
};

// A 64x48 frame, its left half `left` and its right half blue.
std::shared_ptr<const CapturedFrame> frame(QColor left = Qt::red) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, 32, 48, left);
    return std::make_shared<CapturedFrame>(
        CapturedFrame{std::make_shared<const std::vector<std::uint8_t>>(
                          image.constBits(), image.constBits() + image.sizeInBytes()),
                      64, 48, image.bytesPerLine(), PixelFormat::Bgra32});
}

HeadMeasurement face(double width) {
    return {width, 0.1, 0.5, 0.4};
}

struct CalibrationFixture : ::testing::Test {
    MonitorHarness harness;
    // The model's timers, run by advance().
    std::multimap<std::chrono::milliseconds, std::function<void()>> timers;
    std::chrono::milliseconds now{0};
    std::vector<std::shared_ptr<Feed>> feeds;
    std::vector<std::shared_ptr<CameraSession>> sessions;
    PermissionState permission = PermissionState::granted;
    bool requestAnswer = true, hasCamera = true, starts = true;
    std::vector<CameraDevice> connected{
        {QStringLiteral("cam-1"), QStringLiteral("Integrada"), CameraDevice::Kind::V4l2, true, {}}};
    int finished = 0;

    std::unique_ptr<CalibrationModel> model(std::optional<QString> name = std::nullopt) {
        CalibrationModel::Services s;
        s.permission = [this] { return permission; };
        s.requestPermission = [this](std::function<void(bool)> done) { done(requestAnswer); };
        s.createSession = [this](const std::optional<QString>& id) {
            if (!hasCamera)
                return std::shared_ptr<CameraSession>();
            auto feed = feeds.emplace_back(std::make_shared<Feed>());
            feed->starts = starts;
            CameraSession::Services services;
            services.now = [feed] { return feed->now.load(); };
            services.measure = [feed](const PixelBuffer&) {
                if (feed->whileMeasuring)
                    feed->whileMeasuring();
                std::lock_guard lock(feed->mutex);
                return feed->face;
            };
            const QString camera = id.value_or(QStringLiteral("cam-1"));
            return sessions.emplace_back(std::make_shared<CameraSession>(
                CameraDevice{camera, camera, CameraDevice::Kind::V4l2, false, {}},
                std::make_unique<FeedBackend>(feed), services));
        };
        s.cameras = [this] { return connected; };
        s.after = [this](std::chrono::milliseconds delay, std::function<void()> task) {
            timers.emplace(now + delay, std::move(task));
        };
        auto m = std::make_unique<CalibrationModel>(harness.monitor(), name, s);
        QObject::connect(m.get(), &CalibrationModel::finished, [this] { ++finished; });
        return m;
    }
    // Moves the model's time forward, running the timers that fall due on the way.
    void advance(std::chrono::milliseconds step) {
        const auto until = now + step;
        while (!timers.empty() && timers.begin()->first <= until) {
            now = timers.begin()->first;
            auto task = std::move(timers.begin()->second);
            timers.erase(timers.begin());
            task();
        }
        now = until;
    }
    void openReady(CalibrationModel& m) {
        m.open();
        ASSERT_TRUE(waitUntil([&] { return m.phase() != Phase::preparing(); }));
        ASSERT_EQ(m.phase(), Phase::ready());
        feeds.back()->now = feeds.back()->now.load() + 500ms; // past the settle time
    }
    CameraBackend::FrameHandler handler() {
        std::lock_guard lock(feeds.back()->mutex);
        return feeds.back()->handler;
    }
    // One frame into the newest session, 0.2 s after the one before, seen as `seen`.
    void push(std::optional<HeadMeasurement> seen) {
        {
            std::lock_guard lock(feeds.back()->mutex);
            feeds.back()->face = seen;
        }
        feeds.back()->now = feeds.back()->now.load() + 200ms;
        if (const auto deliver = handler())
            deliver(frame());
        std::promise<void> done;
        sessions.back()->post([&done] { done.set_value(); });
        done.get_future().wait();
        QCoreApplication::processEvents();
    }
    // From ready to the end of the measuring seconds, with `faces` faces while measuring.
    void record(CalibrationModel& m, const std::vector<HeadMeasurement>& faces) {
        push(face(0.9)); // seen, not measured
        m.calibrate();
        for (int n : {3, 2, 1}) {
            EXPECT_EQ(m.phase(), Phase::countdown(n));
            push(face(0.9));
            advance(1000ms);
        }
        EXPECT_EQ(m.phase(), Phase::measuring());
        for (const HeadMeasurement& f : faces) {
            push(std::nullopt);
            push(f);
        }
        advance(3000ms);
    }
    std::optional<CalibrationBook> savedBook() {
        return JsonCodec<CalibrationBook>::decode(
            harness.dataFile(QStringLiteral("posiciones.json")).toStdString());
    }
};

TEST(CalibrationNames, suggestionSkipsNamesTaken) {
    const auto suggested = [](const char* taken) {
        return CalibrationModel::suggestedName(
            QString::fromUtf8(taken).split(u',', Qt::SkipEmptyParts));
    };
    EXPECT_EQ(suggested("Oficina"), QStringLiteral("Casa"));
    EXPECT_EQ(suggested("Casa,Oficina"), QStringLiteral("Posición 3"));
    EXPECT_EQ(suggested("Casa,Oficina,Posición 4,Posición 5"), QStringLiteral("Posición 6"));
}

TEST_F(CalibrationFixture, fourFacesWhileMeasuringFailAndFiveOnTheRetrySaveTheirMedian) {
    const std::vector<HeadMeasurement> five{face(0.30), face(0.34), face(0.31), face(0.50),
                                            face(0.32)};
    auto m = model(QStringLiteral("Mesa"));
    openReady(*m);
    record(*m, std::vector<HeadMeasurement>(4, face(0.6))); // none of them counts on the retry
    EXPECT_EQ(m->phase().kind(), Phase::Kind::failed);
    EXPECT_TRUE(m->camera()) << "the camera stays open to try again";
    EXPECT_FALSE(savedBook());
    m->act(); // "Volver a probar"
    EXPECT_EQ(m->phase(), Phase::ready());

    record(*m, five);
    EXPECT_EQ(m->phase(), Phase::done());
    EXPECT_EQ(sessions.size(), 1u);
    EXPECT_FALSE(m->camera());
    EXPECT_TRUE(waitUntil([&] { return !feeds.back()->running; }));
    const Calibration saved = savedBook().value().active().value();
    EXPECT_EQ(saved.name, "Mesa");
    EXPECT_EQ(saved.reference, face(0.32)) << "the median of the five";
    EXPECT_EQ(saved.cameraID, "cam-1");
    EXPECT_EQ(saved.displayKey, harness.displayKey.toStdString());
    EXPECT_EQ(saved.createdAt, harness.clock().now());
    EXPECT_FALSE(saved.headPitch) << "no head tracker reports";
    advance(1199ms);
    EXPECT_EQ(finished, 0);
    advance(1ms);
    EXPECT_EQ(finished, 1);
}

TEST_F(CalibrationFixture, nameIsSuggestedSavedTrimmedBlankAsCasaWithTheTrackersPitch) {
    harness.monitor().saveCalibration(position("Casa"));
    EXPECT_EQ(model()->name(), QStringLiteral("Oficina"));
    EXPECT_EQ(model()->cameraID(), QStringLiteral("file:/camera/Casa")) << "the active one's";
    EXPECT_EQ(model(QStringLiteral(" Casa "))->name(), QStringLiteral(" Casa "));
    harness.motion().send(0.2);
    const std::pair<QString, std::string> cases[] = {
        {QStringLiteral("  \t "), "Casa"},
        {QStringLiteral("\n Mesa alta \r\n"), "Mesa alta"},
    };
    for (const auto& [typed, saved] : cases) {
        auto m = model();
        openReady(*m);
        m->setName(typed);
        record(*m, std::vector<HeadMeasurement>(5, face(0.3)));
        ASSERT_EQ(m->phase(), Phase::done());
        const Calibration active = *savedBook()->active();
        EXPECT_EQ(active.name, saved);
        EXPECT_EQ(active.headPitch, 0.2);
    }
    EXPECT_EQ(savedBook()->calibrations.size(), 2u) << "the blank name replaced Casa";
}

TEST_F(CalibrationFixture, theActionWaitsForAFaceAndTheCameraChoiceForTheSequence) {
    auto m = model();
    m->setPhase(Phase::ready());
    const QString unseen = m->overlay().text;
    EXPECT_FALSE(m->actionEnabled());
    m->setSeesFace(true);
    EXPECT_NE(m->overlay().text, unseen);
    EXPECT_FALSE(m->overlay().countdown);
    EXPECT_TRUE(m->actionEnabled());
    EXPECT_TRUE(m->cameraChoiceEnabled());
    for (const Phase& phase : {Phase::countdown(2), Phase::measuring(), Phase::done()}) {
        m->setPhase(phase);
        EXPECT_FALSE(m->cameraChoiceEnabled());
        m->chooseCamera(QStringLiteral("cam-2"));
        EXPECT_EQ(m->phase(), phase) << "no other camera while it runs";
        EXPECT_EQ(m->actionEnabled(), phase == Phase::done());
        EXPECT_EQ(m->cancelShown(), phase != Phase::done()) << "nothing to cancel once saved";
        EXPECT_EQ(m->overlay().countdown, phase == Phase::countdown(2));
    }
    m->setPhase(Phase::countdown(2));
    EXPECT_EQ(m->overlay().text, QStringLiteral("2"));
}

TEST_F(CalibrationFixture, openingFailsWithTheSituationsMessage) {
    // The permission, the answer to a request, a camera there, its start, a part of the message.
    const std::tuple<PermissionState, bool, bool, bool, const char*> cases[] = {
        {PermissionState::denied, true, true, true, "sesión remota"},
        {PermissionState::notAsked, false, true, true, "Sin permiso de cámara."},
        {PermissionState::unknown, true, false, true, "No hay ninguna cámara."},
        {PermissionState::granted, true, true, false, "no se ha abierto"},
    };
    for (const auto& [state, answer, camera, start, message] : cases) {
        std::tie(permission, requestAnswer, hasCamera, starts) =
            std::tuple(state, answer, camera, start);
        auto m = model();
        m->open();
        ASSERT_TRUE(waitUntil([&] { return m->phase().kind() == Phase::Kind::failed; }));
        EXPECT_TRUE(m->phase().message().contains(QString::fromUtf8(message)));
        EXPECT_FALSE(m->camera());
    }
    auto m = model(); // "Volver a probar" without a camera opens one afresh
    m->setPhase(Phase::failed(QStringLiteral("La cámara no se ha abierto.")));
    m->act();
    EXPECT_TRUE(m->camera());
    EXPECT_EQ(m->phase(), Phase::preparing());
}

TEST_F(CalibrationFixture, anotherCameraRestartsThroughPreparingAndOneCameraHasNoPicker) {
    connected.push_back(
        {QStringLiteral("cam-2"), QStringLiteral("USB"), CameraDevice::Kind::V4l2, false, {}});
    auto m = model();
    CalibrationView view(*m, true);
    const auto pickers = view.findChildren<QComboBox*>();
    ASSERT_EQ(pickers.size(), 1);
    EXPECT_EQ(pickers[0]->count(), 2);
    openReady(*m);
    push(face(0.3));
    EXPECT_TRUE(m->seesFace());
    m->chooseCamera(QStringLiteral("cam-2"));
    EXPECT_EQ(m->phase(), Phase::preparing());
    EXPECT_EQ(m->overlay().text, QStringLiteral("Abriendo la cámara…"));
    EXPECT_FALSE(m->seesFace());
    EXPECT_TRUE(waitUntil([&] { return !feeds.front()->running; })) << "the first one stops";
    EXPECT_EQ(sessions.back()->device().uniqueID, QStringLiteral("cam-2"));
    EXPECT_EQ(pickers[0]->currentData().toString(), QStringLiteral("cam-2"));
    ASSERT_TRUE(waitUntil([&] { return m->phase() == Phase::ready(); }));

    connected.pop_back();
    auto single = model();
    CalibrationView alone(*single, true);
    EXPECT_TRUE(alone.findChildren<QComboBox*>().isEmpty());
}

TEST_F(CalibrationFixture, closingTheWindowMidSequenceSavesNothingAndClosesTheCamera) {
    auto m = model(QStringLiteral("Mesa"));
    CalibrationView view(*m, true);
    openReady(*m);
    push(face(0.3));
    m->calibrate();
    advance(3000ms);
    for (int i = 0; i < 5; ++i)
        push(face(0.3));
    view.close();
    EXPECT_FALSE(m->camera());
    EXPECT_TRUE(waitUntil([&] { return !feeds.back()->running; }));
    advance(5000ms);
    EXPECT_EQ(m->phase().kind(), Phase::Kind::failed);
    EXPECT_FALSE(savedBook());
    EXPECT_EQ(finished, 0);
}

TEST_F(CalibrationFixture, previewShowsEveryFrameMirroredWhileTheAnalysisIsBusy) {
    auto m = model();
    CalibrationView view(*m, true);
    auto* preview = view.findChild<CameraPreview*>();
    ASSERT_TRUE(preview);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    m->open();
    feeds.back()->whileMeasuring = [released] { released.wait(); };
    ASSERT_TRUE(waitUntil([&] { return m->phase() == Phase::ready(); }));
    feeds.back()->now = feeds.back()->now.load() + 1s;
    // The first frame holds the analysis; the next ones must still be shown.
    handler()(frame(Qt::red));
    for (const QColor left : {QColor(Qt::green), QColor(Qt::yellow)}) {
        // As a camera does, frames keep coming; those the preview is too busy for are dropped.
        EXPECT_TRUE(waitUntil([&] {
            handler()(frame(left));
            return !preview->picture().isNull() &&
                   preview->picture().pixelColor(preview->picture().width() - 1, 0) == left;
        })) << "the newest frame shows, its left side on the right";
    }
    EXPECT_EQ(preview->picture().pixelColor(0, 0), QColor(Qt::blue));
    release.set_value();
}

} // namespace
} // namespace tisko::test
