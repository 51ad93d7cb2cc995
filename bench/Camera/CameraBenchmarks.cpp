// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One analysis of a real face at 1280×720 and 640×480 with the model loaded, for the first
// frame of a look and for the following ones; a whole look through a sample camera (result
// delay after take, camera open time, model load delay on the first analysed frame) and the
// resident memory before and after it.
#include "PhotoFrames.h"
#include "Tisko/Camera/CameraLook.h"
#include "Tisko/Camera/CameraSession.h"
#include "Tisko/Camera/FaceAnalyzer.h"
#include "Tisko/Camera/FaceDetector.h"
#include "Tisko/Camera/GreyImage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

using namespace tisko;

namespace {

// A face that spans about a fifth of the frame's width, as at a desk; `sway` moves it right
// and down by that many pixels and grows it by as many percent, as a seated person sways.
// Grace Hopper's portrait is centred as it is; the astronaut's is placed by her face, which
// the detector finds in the photograph.
QImage deskFrame(const QString& name, QSize size, double sway = 0) {
    const QImage photo = test::loadPhoto(name);
    QPointF face(photo.width() / 2.0, photo.height() / 2.0);
    double faceWidth = photo.width() * 0.42;
    if (name != QStringLiteral("grace_hopper.jpg")) {
        GreyImage grey = GreyImage::scaledFrom(test::viewOf(photo), 1.0);
        grey.equalize();
        const std::vector<FaceCandidate> found = FaceDetector::detect(grey);
        if (!found.empty()) {
            face = QPointF(found[0].left + found[0].width / 2, found[0].top + found[0].height / 2);
            faceWidth = found[0].width;
        }
    }
    const double scale = 0.2 * size.width() / faceWidth * (1 + sway / 100);
    return test::composeFrame(photo, size, scale, face,
                              QPointF(size.width() / 2.0 + sway, size.height() / 2.0 + sway));
}

// The first analysed frame of a look: the whole frame is searched.
void firstFrame(benchmark::State& state, const char* name, QSize size) {
    const auto model = FaceModel::acquire();
    model->landmarks();
    const QImage frame = deskFrame(QString::fromLatin1(name), size);
    if (!FaceAnalyzer::measure(test::viewOf(frame), *model)) {
        state.SkipWithError("no face in the benchmark frame");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(FaceAnalyzer::measure(test::viewOf(frame), *model));
}

// The following frames of a look: searched first around the face of the frame before. The
// face sways between two places a few pixels and a few percent apart.
void followingFrame(benchmark::State& state, const char* name, QSize size) {
    const auto model = FaceModel::acquire();
    model->landmarks();
    const QImage frames[2] = {deskFrame(QString::fromLatin1(name), size),
                              deskFrame(QString::fromLatin1(name), size, 3)};
    FaceTrack track;
    if (!FaceAnalyzer::measure(test::viewOf(frames[0]), *model, track)) {
        state.SkipWithError("no face in the benchmark frame");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            FaceAnalyzer::measure(test::viewOf(frames[++i % 2]), *model, track));
        if (!track.box) {
            state.SkipWithError("the face was lost");
            return;
        }
    }
}

// A frame without a face (a brick wall), as when the person has left the desk: every copy
// is searched.
void noFace(benchmark::State& state, QSize size) {
    const auto model = FaceModel::acquire();
    model->landmarks();
    const QImage wall = test::loadPhoto(QStringLiteral("brick.png"));
    const QImage frame = test::composeFrame(
        wall, size, static_cast<double>(size.width()) / wall.width(), QPointF(0, 0), QPointF(0, 0));
    FaceTrack track;
    for (auto _ : state)
        benchmark::DoNotOptimize(FaceAnalyzer::measure(test::viewOf(frame), *model, track));
}
BENCHMARK_CAPTURE(noFace, frame1280x720, QSize(1280, 720))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly();
BENCHMARK_CAPTURE(noFace, frame640x480, QSize(640, 480))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

// Registers `function` for each face and frame size, as "function/face/size".
void registerAnalysis(const char* label, void (*function)(benchmark::State&, const char*, QSize)) {
    for (const char* face : {"grace_hopper.jpg", "astronaut.png"}) {
        for (QSize size : {QSize(1280, 720), QSize(640, 480)}) {
            const std::string name = std::string(label) + "/" +
                                     std::string(face).substr(0, std::string(face).find('.')) +
                                     "/" + std::to_string(size.width()) + "x" +
                                     std::to_string(size.height());
            benchmark::RegisterBenchmark(name.c_str(), function, face, size)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(5)
                ->ReportAggregatesOnly();
        }
    }
}

double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// A whole look on a sample camera of one 1280×720 picture, the model not loaded before.
void look(benchmark::State& state) {
    const QString path = test::photoPath(QStringLiteral("grace_hopper.jpg"));
    qputenv("TISKO_CAMERAS", path.toLocal8Bit());
    double delivered = 0, open = 0, rssBefore = 0, rssAfter = 0;
    for (auto _ : state) {
        rssBefore = residentMegabytes();
        QElapsedTimer sinceTake;
        sinceTake.start();
        bool done = false;
        LookResult result;
        auto session = CameraSession::create(QStringLiteral("file:") + path);
        std::chrono::steady_clock::time_point started, stopped;
        CameraLook::take(session, 6, 2.5, [&](const LookResult& r) {
            result = r;
            done = true;
        });
        started = std::chrono::steady_clock::now();
        session.reset();
        while (!done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        delivered = static_cast<double>(sinceTake.nsecsElapsed()) / 1e9;
        stopped = std::chrono::steady_clock::now();
        open = std::chrono::duration<double>(stopped - started).count();
        if (result.withFace != 6)
            state.SkipWithError("the look did not see the face six times");
        // Let the timeout fire and release the session before measuring memory.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 2700)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        rssAfter = residentMegabytes();
    }
    state.counters["delivered_s"] = delivered;
    state.counters["open_upper_bound_s"] = open;
    state.counters["rss_before_MB"] = rssBefore;
    state.counters["rss_after_MB"] = rssAfter;
    state.counters["model_held_after"] = FaceModel::isHeld() ? 1 : 0;
}
BENCHMARK(look)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// Reading the landmark model, which overlaps the settle time of a look.
void modelLoad(benchmark::State& state) {
    for (auto _ : state) {
        auto model = FaceModel::acquire();
        benchmark::DoNotOptimize(model->landmarks());
    }
}
BENCHMARK(modelLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    registerAnalysis("firstFrame", firstFrame);
    registerAnalysis("followingFrame", followingFrame);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
