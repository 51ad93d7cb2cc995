// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The history window with ten years of counts: the Monitor reads the counters file, and the
// window is built from its tally, shown and painted. Run inside tests/harness/run-headless for
// a real X server, or with QT_QPA_PLATFORM=offscreen.
#include "Tisko/Interface/HistoryWindow.h"
#include "Tisko/Monitor/Monitor.h"
#include "Tisko/Support/Storage.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace tisko {
namespace {

// Ten years of days up to today, each with its own counts.
DailyTally tenYears(Date today, const Calendar& calendar) {
    DailyTally tally;
    for (int i = 3652; i >= 0; --i) {
        DailyTally::Day day(DailyTally::key(today - std::chrono::days{i}, calendar));
        day.checks = 40 + i % 60;
        day.badChecks = i % 17;
        day.tooClose = i % 5;
        day.slouching = i % 3;
        tally.days.push_back(day);
    }
    return tally;
}

Monitor& monitor() {
    static QTemporaryDir home;
    static Monitor* instance = [] {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            qputenv(name, home.path().toUtf8() + '/' + name);
        Storage::forgetFolderForTesting();
        auto* m = new Monitor(MonitorServices::forThisDesktop());
        Storage::save(tenYears(m->now(), m->calendar()), Storage::tallyFileName);
        m->load();
        return m;
    }();
    return *instance;
}

// Reading the ten years into the Monitor, from the file.
void tallyRead(benchmark::State& state) {
    for (auto _ : state) {
        monitor().load();
        benchmark::DoNotOptimize(monitor().tally().days.size());
    }
    state.counters["days"] = double(monitor().tally().days.size());
}
BENCHMARK(tallyRead)->Unit(benchmark::kMillisecond);

// From the request to the window shown and painted, the tally already read.
void windowOpened(benchmark::State& state) {
    Monitor& source = monitor();
    for (auto _ : state) {
        HistoryWindow window(source);
        window.show();
        window.repaint();
        QApplication::processEvents();
        state.PauseTiming();
        window.close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(windowOpened)->Unit(benchmark::kMillisecond);

// What a check costs while the window is open: the bars built again from the whole tally.
void liveUpdate(benchmark::State& state) {
    HistoryWindow window(monitor());
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.setHistory(HistoryModel(monitor().tally(), monitor().now(), monitor().calendar()));
        window.repaint();
    }
}
BENCHMARK(liveUpdate)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tisko

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
