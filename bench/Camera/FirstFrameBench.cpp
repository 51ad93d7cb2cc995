// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The time from a backend's start() to its first frame: a PipeWire camera node (named by
// TISKO_BENCH_PIPEWIRE_NODE, run by bench/Camera/compare-pipewire-look) against a sample
// camera of the same photograph.
#include "Tisko/Camera/PipeWireBackend.h"
#include "Tisko/Camera/SampleBackend.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

// Opens, starts and stops `backend` once per iteration, timing start() to the first frame.
void firstFrame(benchmark::State& state, tisko::CameraBackend& backend) {
    double startTotal = 0;
    for (auto _ : state) {
        std::mutex lock;
        std::condition_variable arrived;
        bool first = false;
        if (!backend.open()) {
            state.SkipWithError("the camera does not open");
            return;
        }
        const auto begun = Clock::now();
        if (!backend.start([&](std::shared_ptr<const tisko::CapturedFrame>) {
                std::lock_guard guard(lock);
                first = true;
                arrived.notify_all();
            })) {
            state.SkipWithError("the camera does not start");
            return;
        }
        const auto started = Clock::now();
        {
            std::unique_lock guard(lock);
            if (!arrived.wait_for(guard, std::chrono::seconds(5), [&] { return first; })) {
                state.SkipWithError("no frame in 5 s");
                return;
            }
        }
        const auto got = Clock::now();
        backend.stop();
        state.SetIterationTime(std::chrono::duration<double>(got - begun).count());
        startTotal += std::chrono::duration<double, std::milli>(started - begun).count();
    }
    state.counters["start_ms"] = benchmark::Counter(startTotal, benchmark::Counter::kAvgIterations);
}

void pipeWire(benchmark::State& state) {
    const QString node = qEnvironmentVariable("TISKO_BENCH_PIPEWIRE_NODE");
    if (node.isEmpty()) {
        state.SkipWithError("TISKO_BENCH_PIPEWIRE_NODE is not set");
        return;
    }
    tisko::PipeWireBackend backend(node, tisko::PipeWireCameras::shared());
    firstFrame(state, backend);
}

void sample(benchmark::State& state) {
    tisko::SampleBackend backend(QStringLiteral(TISKO_TEST_PHOTOS "/grace_hopper.jpg"));
    firstFrame(state, backend);
}

} // namespace

BENCHMARK(pipeWire)
    ->Name("firstFrame/pipeWire")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(sample)
    ->Name("firstFrame/sample")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_MAIN();
