// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Monitor on the real machine, through a sample camera of a real photograph: the time
// from a manual look to its log line with the CPU each look costs (landmark model load
// included, as every look loads it), and the cost of one clock tick that only runs its gates.
#include "Tisko/Monitor/Monitor.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/Storage.h"

#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>

namespace tisko {
namespace {

const QString photo = QStringLiteral(TISKO_BENCH_PHOTOS "/grace_hopper.jpg");

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A private home for the benchmark's files, and the sample camera.
struct BenchHome {
    BenchHome() {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            qputenv(name, dir.path().toUtf8() + '/' + name);
        qputenv("TISKO_CAMERAS", photo.toUtf8());
        Storage::forgetFolderForTesting();
        Log::restartForTesting();
    }
    QTemporaryDir dir;
};

void manualLookToLogLine(benchmark::State& state) {
    if (!QFile::exists(photo)) {
        state.SkipWithError(
            "the photographs are not fetched (tests/data/fetch-photos build/photos)");
        return;
    }
    BenchHome home;
    Monitor monitor(MonitorServices::forThisDesktop());
    monitor.start();
    Calibration mesa;
    mesa.id = Uuid::random();
    mesa.name = "Mesa";
    mesa.reference = HeadMeasurement{0.37, 0.16, 0.62, 0.32};
    mesa.cameraID = (QStringLiteral("file:") + photo).toStdString();
    monitor.saveCalibration(mesa);

    double cpu = 0;
    for (auto _ : state) {
        QEventLoop loop;
        // The log line is written in the same step that sets the check's time.
        QObject::connect(&monitor, &Monitor::lastCheckChanged, &loop, &QEventLoop::quit);
        const double cpuBefore = processCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        monitor.look(Monitor::Trigger::manual);
        loop.exec();
        const auto end = std::chrono::steady_clock::now();
        cpu += processCpuSeconds() - cpuBefore;
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["cpu_s_per_look"] = cpu / double(state.iterations());
    Log::flush();
}
BENCHMARK(manualLookToLogLine)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void clockTickGatesOnly(benchmark::State& state) {
    BenchHome home;
    Monitor monitor(MonitorServices::forThisDesktop());
    monitor.start(); // no position: each tick refreshes the state and stops at the gates
    for (auto _ : state)
        monitor.look(Monitor::Trigger::clock);
    Log::flush();
}
BENCHMARK(clockTickGatesOnly)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tisko

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
