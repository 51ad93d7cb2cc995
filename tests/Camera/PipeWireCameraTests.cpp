// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Cameras through a real PipeWire daemon and WirePlumber in a private runtime folder, with
// the device monitors off, and fake camera nodes that play a photograph.
#include "DBusMockCall.h"
#include "EventLoop.h"
#include "FakeV4l2System.h"
#include "LoggedLines.h"
#include "PhotoFrames.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/Camera/CameraLook.h"
#include "Tisko/Camera/PipeWireBackend.h"
#include "Tisko/Camera/SharedWebcamBackend.h"
#include "Tisko/Camera/V4l2Backend.h"
#include "Tisko/Support/Log.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>

namespace tisko::test {
namespace {

using namespace std::chrono_literals;

const QString photo = QStringLiteral(TISKO_TEST_PHOTOS "/grace_hopper.jpg");

struct PipeWireCameraTest : ::testing::Test {
    void SetUp() override {
        if (!QFile::exists(photo))
            GTEST_SKIP() << "the test photographs are not fetched";
        Log::restartForTesting();
        const QString runtime = home.path() + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        // The developer's own cameras, sound cards and headsets stay out of the graph.
        const QString config = home.configHome() + QStringLiteral("/wireplumber/");
        writeFile(config + QStringLiteral("main.lua.d/51-tisko.lua"),
                  "alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\n"
                  "libcamera_monitor.enabled = false\n");
        writeFile(config + QStringLiteral("bluetooth.lua.d/51-tisko.lua"),
                  "bluez_monitor.enabled = false\n");
        daemon = launch(QStringLiteral("pipewire"), {});
        ASSERT_TRUE(
            waitUntil([&] { return QFile::exists(runtime + QStringLiteral("/pipewire-0")); }));
        wirePlumber = launch(QStringLiteral("wireplumber"), {});
    }
    void TearDown() override {
        for (auto it = processes.rbegin(); it != processes.rend(); ++it)
            endProcess(**it);
    }

    QProcess* launch(const QString& program, const QStringList& arguments) {
        QProcess* process = processes.emplace_back(std::make_unique<QProcess>()).get();
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(home.path() + QStringLiteral("/daemons.log"),
                                      QIODevice::Append);
        // A test that crashes or times out takes its daemons with it.
        process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process->start(program, arguments);
        return process;
    }
    // A camera node playing the photograph in `format` as `device` ("v4l2:/dev/videoN" or
    // "libcamera:PATH:LOCATION"), listed before this returns.
    QProcess* camera(const QString& name, const char* format, const char* device,
                     bool strideZero = false) {
        QStringList arguments{photo, QString::fromLatin1(format), name,
                              QString::fromLatin1(device)};
        QProcess* process =
            launch(QStringLiteral(TISKO_FAKE_CAMERA),
                   arguments << (strideZero ? QStringLiteral("stride0") : QString()));
        EXPECT_TRUE(waitUntil([&] { return node(name).has_value(); })) << name.toStdString();
        return process;
    }
    static std::optional<PipeWireNode> node(const QString& name) {
        for (const PipeWireNode& n :
             PipeWireCameras::shared().cameras().value_or(std::vector<PipeWireNode>{})) {
            if (n.name == name)
                return n;
        }
        return std::nullopt;
    }
    // A session on `backend` whose analysis notes each frame's width.
    std::shared_ptr<CameraSession> session(const QString& name,
                                           std::unique_ptr<CameraBackend> backend) {
        CameraSession::Services services;
        services.isRunningSomewhere = [](const CameraDevice&) { return false; };
        services.measure = [this](const PixelBuffer& pixels) -> std::optional<HeadMeasurement> {
            width = pixels.width;
            ++frames;
            return std::nullopt;
        };
        return std::make_shared<CameraSession>(
            CameraDevice{name, name, CameraDevice::Kind::PipeWire, false, name}, std::move(backend),
            std::move(services));
    }

    TempHome home;
    std::vector<std::unique_ptr<QProcess>> processes;
    QProcess* daemon = nullptr;
    QProcess* wirePlumber = nullptr;
    std::atomic<int> width{0};
    std::atomic<int> frames{0};
};

TEST_F(PipeWireCameraTest, everyFormatArrivesAsThePhotograph) {
    const QImage reference = loadPhoto(QStringLiteral("grace_hopper.jpg"));
    struct Case {
        const char* format;
        bool strideZero;
        double tolerance; // subsampled colour and compression lose a little
    };
    for (const Case& c : {Case{"yuy2", false, 3}, Case{"yuy2", true, 3}, Case{"nv12", true, 3},
                          Case{"i420", false, 3}, Case{"mjpg", true, 3}, Case{"rgb", false, 0},
                          Case{"bgr", true, 0}, Case{"bgrx", false, 0}}) {
        SCOPED_TRACE(std::string(c.format) + (c.strideZero ? " stride 0" : ""));
        const QString name = QString::fromLatin1(c.format) + QString::number(c.strideZero);
        QProcess* fake = camera(name, c.format, "libcamera:/base/cam:front", c.strideZero);
        PipeWireBackend backend(name, PipeWireCameras::shared());
        std::mutex lock;
        std::shared_ptr<const CapturedFrame> first;
        ASSERT_TRUE(backend.open() &&
                    backend.start([&](std::shared_ptr<const CapturedFrame> frame) {
                        const std::lock_guard guard(lock);
                        first = first ? first : frame;
                    }));
        waitUntil([&] {
            const std::lock_guard guard(lock);
            return first != nullptr;
        });
        backend.stop();
        ASSERT_TRUE(first && first->pixels());
        const PixelBuffer pixels = *first->pixels();
        ASSERT_EQ(QSize(pixels.width, pixels.height), reference.size());
        const bool rgb = pixels.format == PixelFormat::Rgb24;
        double difference = 0;
        for (int y = 0; y < pixels.height; ++y) {
            for (int x = 0; x < pixels.width; ++x) {
                const std::uint8_t* p = pixels.data + y * pixels.bytesPerLine +
                                        x * PixelBuffer::bytesPerPixel(pixels.format);
                const QRgb want = reference.pixel(x, y);
                difference += std::abs(p[rgb ? 2 : 0] - qBlue(want)) +
                              std::abs(p[1] - qGreen(want)) + std::abs(p[rgb ? 0 : 2] - qRed(want));
            }
        }
        EXPECT_LE(difference / (3.0 * pixels.width * pixels.height), c.tolerance);
        endProcess(*fake);
    }
}

TEST_F(PipeWireCameraTest, aLookThroughTheProgramFindsTheFaceAloneAndBesideAnotherConsumer) {
    camera(QStringLiteral("Cámara MIPI"), "yuy2", "libcamera:/base/soc/cam0:front");
    qputenv("XDG_CACHE_HOME", TISKO_TEST_CACHE);
    qunsetenv("TISKO_CAMERAS");
    const QString output = home.path() + QStringLiteral("/look.txt");
    // A look that analysed no frame before its timeout (a loaded machine) is taken again, twice
    // at most.
    const auto look = [&] {
        QString lines;
        for (int attempt = 0; attempt < 3 && !lines.contains(QStringLiteral("faceWidth="));
             ++attempt) {
            QProcess tisko;
            tisko.start(QStringLiteral(TISKO_BINARY), {QStringLiteral("--look"), output});
            EXPECT_TRUE(tisko.waitForFinished(60000));
            lines = QString::fromUtf8(readFile(output))
                        .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                        .mid(0, 6)
                        .join(QLatin1Char(' '));
        }
        return lines;
    };
    const QRegularExpression alone(QStringLiteral(
        "^failed=false camera=libcamera:/base/soc/cam0 shared=false format=512x600 .* faceWidth="));
    const QString first = look();
    EXPECT_TRUE(alone.match(first).hasMatch()) << first.toStdString();

    // Another program already receives the camera: the look joins it, marked shared.
    PipeWireBackend other(QStringLiteral("Cámara MIPI"), PipeWireCameras::shared());
    ASSERT_TRUE(other.open() && other.start([](std::shared_ptr<const CapturedFrame>) {}));
    ASSERT_TRUE(waitUntil([] { return node(QStringLiteral("Cámara MIPI"))->running; }));
    const QString beside = look();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^failed=false .* shared=true .* faceWidth="))
                    .match(beside)
                    .hasMatch())
        << beside.toStdString();
    EXPECT_TRUE(other.isRunning());
}

TEST_F(PipeWireCameraTest, aBusyWebcamIsJoinedThroughPipeWireAndAFreeOneOpenedDirectly) {
    // The simulated device gives grey 640x480 frames, PipeWire the 512x600 photograph.
    camera(QStringLiteral("webcam"), "yuy2", "v4l2:/dev/video0");
    PipeWireBackend other(QStringLiteral("webcam"), PipeWireCameras::shared());
    struct Case {
        bool deviceBusy, otherConsumer, started, shared;
        int width;
    };
    // Busy with nobody on PipeWire first: a node stays running a while after its last consumer.
    for (const Case& c : {Case{true, false, false, false, 0}, Case{false, true, true, false, 640},
                          Case{true, true, true, true, 512}}) {
        SCOPED_TRACE(::testing::Message()
                     << "busy " << c.deviceBusy << " other " << c.otherConsumer);
        if (c.otherConsumer && !other.isRunning()) {
            ASSERT_TRUE(other.open() && other.start([](std::shared_ptr<const CapturedFrame>) {}));
        }
        FakeV4l2System system;
        system.busy = c.deviceBusy;
        auto looking =
            session(QStringLiteral("webcam"),
                    std::make_unique<SharedWebcamBackend>(
                        std::make_unique<V4l2Backend>(QStringLiteral("/dev/video0"), system),
                        QStringLiteral("webcam"), PipeWireCameras::shared()));
        std::atomic<int> started{-1};
        looking->start(0, [&started](bool running) { started = running; });
        ASSERT_TRUE(waitUntil([&] { return started >= 0; }));
        EXPECT_EQ(started == 1, c.started);
        EXPECT_EQ(looking->sharedWithAnotherApp(), c.shared);
        EXPECT_EQ(looking->cameraBusy(), !c.started);
        EXPECT_TRUE(!c.started || waitUntil([&] { return width == c.width; })) << width;
        // The simulated device outlives the session's last task on its queue.
        auto stopped = std::make_shared<std::atomic<bool>>(false);
        looking->stop();
        looking->post([stopped] { *stopped = true; });
        ASSERT_TRUE(waitUntil([&] { return stopped->load(); }));
    }
}

// Every failure of a look through PipeWire ends within the look's bound, with its line.
TEST_F(PipeWireCameraTest, aLookThatCannotHaveTheCameraEndsInTimeSayingWhy) {
    enum class Fault { none, noSessionManager, cameraKilled, daemonKilled };
    struct Case {
        const char* format;
        Fault fault;
        const char* line;
    };
    // The daemon goes last: nothing comes after it.
    int index = 0;
    for (const Case& c :
         {Case{"y444", Fault::none, "no ofrece ningún formato que Tisko sepa leer"},
          Case{"yuy2", Fault::noSessionManager, "no hay gestor de sesiones (WirePlumber)"},
          Case{"yuy2", Fault::cameraKilled, "» ha desaparecido"},
          Case{"yuy2", Fault::daemonKilled, "PipeWire: el servicio se ha cerrado"}}) {
        SCOPED_TRACE(c.line);
        Log::restartForTesting();
        const QString name = QStringLiteral("camera-%1").arg(++index);
        QProcess* fake = camera(name, c.format, "v4l2:/dev/video0");
        if (c.fault == Fault::noSessionManager)
            endProcess(*wirePlumber);
        auto looking =
            session(name, std::make_unique<PipeWireBackend>(name, PipeWireCameras::shared()));
        const auto begun = std::chrono::steady_clock::now();
        std::optional<LookResult> result;
        frames = 0;
        CameraLook::take(looking, 1000, 2.5, [&result](const LookResult& r) { result = r; });
        if (c.fault == Fault::cameraKilled || c.fault == Fault::daemonKilled) {
            ASSERT_TRUE(waitUntil([&] { return frames > 0; })); // killed while frames flow
            (c.fault == Fault::cameraKilled ? fake : daemon)->kill();
        }
        ASSERT_TRUE(waitUntil([&] { return result.has_value(); }, 10s));
        EXPECT_LT(std::chrono::steady_clock::now() - begun, 4s);
        Log::flush();
        EXPECT_EQ(loggedLines().filter(QString::fromUtf8(c.line)).size(), 1)
            << loggedLines().join(QLatin1Char('|')).toStdString();
        endProcess(*fake);
        if (c.fault == Fault::noSessionManager)
            wirePlumber = launch(QStringLiteral("wireplumber"), {});
    }
    // With no daemon left, the next look fails at once.
    const auto begun = std::chrono::steady_clock::now();
    PipeWireBackend gone(QStringLiteral("camera-1"), PipeWireCameras::shared());
    EXPECT_FALSE(gone.open());
    EXPECT_LT(std::chrono::steady_clock::now() - begun, 100ms);
    EXPECT_EQ(
        loggedLines().filter(QStringLiteral("PipeWire: no hay servicio al que conectarse")).size(),
        1);
}

// Inside a sandbox the cameras come through the portal, against a stand-in portal.
TEST_F(PipeWireCameraTest, inASandboxTheCamerasComeThroughThePortalWhenItGrantsThem) {
    camera(QStringLiteral("portal-camera"), "yuy2", "libcamera:/base/cam:front");
    for (const int response : {0, 1}) { // granted, refused
        SCOPED_TRACE(response);
        QProcess* portal =
            launch(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                    QStringLiteral("org.freedesktop.portal.Desktop"),
                    QStringLiteral("/org/freedesktop/portal/desktop"),
                    QStringLiteral("org.freedesktop.portal.Camera")});
        ASSERT_TRUE(waitUntil(
            [] {
                return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                    QStringLiteral("org.freedesktop.portal.Desktop"));
            },
            10s));
        const auto add = [](const char* method, const char* out, const QString& code) {
            return callDBusMock(QDBusConnection::sessionBus(),
                                QStringLiteral("org.freedesktop.portal.Desktop"),
                                QStringLiteral("/org/freedesktop/portal/desktop"),
                                QStringLiteral("AddMethod"),
                                {QStringLiteral("org.freedesktop.portal.Camera"),
                                 QString::fromLatin1(method), QStringLiteral("a{sv}"),
                                 QString::fromLatin1(out), code})
                       .type() == QDBusMessage::ReplyMessage;
        };
        ASSERT_TRUE(add(
            "AccessCamera", "o",
            QStringLiteral(
                "ret = '/org/freedesktop/portal/desktop/request/mock/' + args[0]['handle_token']\n"
                "self.AddObject(ret, 'org.freedesktop.portal.Request', {}, [])\n"
                "objects[ret].EmitSignal('org.freedesktop.portal.Request', 'Response', "
                "'ua{sv}', [dbus.UInt32(%1), {}])\n")
                .arg(response)));
        ASSERT_TRUE(add("OpenPipeWireRemote", "h",
                        QStringLiteral("import os, socket\ns = socket.socket(socket.AF_UNIX)\n"
                                       "s.connect(os.environ['XDG_RUNTIME_DIR'] + '/pipewire-0')\n"
                                       "ret = dbus.types.UnixFd(s)\n")));
        PipeWireCameras sandboxed(PipeWireCameras::Route::portal);
        QString error;
        const auto nodes = sandboxed.cameras(&error);
        EXPECT_EQ(sandboxed.accessDenied(), response != 0);
        if (response != 0) {
            EXPECT_FALSE(nodes);
            EXPECT_EQ(error,
                      QStringLiteral("PipeWire: el portal ha denegado el acceso a la cámara"));
        } else {
            ASSERT_TRUE(nodes && nodes->size() == 1) << error.toStdString();
            PipeWireBackend backend(QStringLiteral("portal-camera"), sandboxed);
            frames = 0;
            EXPECT_TRUE(backend.open() &&
                        backend.start([this](auto frame) { frames += frame->pixels() ? 1 : 0; }));
            EXPECT_TRUE(waitUntil([&] { return frames > 0; }));
            backend.stop();
        }
        endProcess(*portal);
    }
}

} // namespace
} // namespace tisko::test
