// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How the recording window's live picture keeps up: a sample camera plays a photograph
// (moved a little each frame, as a real picture changes) at 30 frames a second through a
// camera session with its face analysis, into the preview of the window's size. Prints,
// per camera size: pictures shown per second, the main thread's CPU time per picture shown,
// the whole process's CPU as a share of one core, and the frames analysed per second.
//
//   tests/harness/run-headless build/debug/bench/Interface/interface_preview_bench [seconds]
#include "PhotoFrames.h"

#include "Tisko/Camera/CameraSession.h"
#include "Tisko/Camera/SampleBackend.h"
#include "Tisko/Interface/CameraPreview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <ctime>

using namespace tisko;

namespace {

double cpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void run(const QImage& photo, QSize size, double seconds) {
    // Thirty pictures with the face a few pixels apart, so no two frames are alike.
    std::vector<QImage> pictures;
    for (int i = 0; i < 30; ++i) {
        const double scale = 0.5 * size.height() / photo.height();
        pictures.push_back(test::composeFrame(
            photo, size, scale, QPointF(photo.width() / 2.0, photo.height() / 2.0),
            QPointF(size.width() / 2.0 + (i % 10) * 2, size.height() / 2.0)));
    }
    CameraSession::Services services;
    auto session = std::make_shared<CameraSession>(CameraDevice{QStringLiteral("bench"),
                                                                QStringLiteral("bench"),
                                                                CameraDevice::Kind::Sample,
                                                                false,
                                                                {}},
                                                   std::make_unique<SampleBackend>(pictures),
                                                   std::move(services));
    // Shared: the session's queue may still finish an analysis after this run returns.
    auto analysed = std::make_shared<std::atomic<int>>(0);
    session->onMeasurement = [analysed](std::optional<HeadMeasurement>) { ++*analysed; };

    QWidget window;
    window.resize(480, 440);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(20, 20, 20, 20);
    auto* preview = new CameraPreview(&window);
    preview->setFixedHeight(270);
    layout->addWidget(preview);
    layout->addStretch();
    window.show();
    QApplication::processEvents();
    preview->setSession(session);

    QEventLoop started;
    session->start(0.5, [&started](bool) { QMetaObject::invokeMethod(&started, "quit"); });
    started.exec();
    // Let the picture settle, then measure.
    QEventLoop wait;
    QTimer::singleShot(1000, &wait, &QEventLoop::quit);
    wait.exec();

    const int shownBefore = preview->picturesShown();
    const int analysedBefore = *analysed;
    const double mainBefore = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const double processBefore = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(static_cast<int>(seconds * 1000), &wait, &QEventLoop::quit);
    wait.exec();
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const int shown = preview->picturesShown() - shownBefore;
    const double mainCpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - mainBefore;
    const double processCpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processBefore;
    session->stop();
    preview->setSession(nullptr);

    std::printf("%5dx%-4d  %5.1f shown/s  %5.2f ms main thread per picture  %5.1f %% of a core  "
                "%4.1f analysed/s  (preview %dx%d, %s)\n",
                size.width(), size.height(), shown / elapsed,
                shown > 0 ? mainCpu * 1000 / shown : 0.0, 100 * processCpu / elapsed,
                (*analysed - analysedBefore) / elapsed, preview->width(), preview->height(),
                qPrintable(QGuiApplication::platformName()));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 5.0;
    const QImage photo = test::loadPhoto(QStringLiteral("grace_hopper.jpg"));
    if (photo.isNull()) {
        std::fprintf(stderr, "run tests/data/fetch-photos %s first\n", TISKO_TEST_PHOTOS);
        return 1;
    }
    for (const QSize size : {QSize(640, 480), QSize(1280, 720)})
        run(photo, size, seconds);
    return 0;
}
