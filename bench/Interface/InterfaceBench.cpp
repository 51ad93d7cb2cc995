// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The interface's costs on the main thread: the icon drawn at every tray size, the panel from
// the click's signal to shown and painted, the tray icon created once a host is there, and the
// history window over ten years of counts (the Monitor reads them from the counters file).
// Run inside tests/harness/run-headless for a real X server (trayer gives a tray host).
#include "Tisko/Monitor/CameraAvailability.h"
#include "Tisko/Monitor/Monitor.h"
#include "Tisko/Interface/HistoryWindow.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/MenuBarPanel.h"
#include "Tisko/Support/Storage.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace tisko {
namespace {

struct BenchHome {
    BenchHome() {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            qputenv(name, dir.path().toUtf8() + '/' + name);
        Storage::forgetFolderForTesting();
    }
    QTemporaryDir dir;
};

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
    static BenchHome home;
    static Monitor* instance = [] {
        auto* m = new Monitor(MonitorServices::forThisDesktop());
        Storage::save(tenYears(m->now(), m->calendar()), Storage::tallyFileName);
        m->load();
        return m;
    }();
    return *instance;
}

void iconAtEveryTraySize(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(MenuBarLabel::icon(StatusDot::orange, Qt::black));
}
BENCHMARK(iconAtEveryTraySize)->Unit(benchmark::kMillisecond);

// From the click's signal to the panel laid out, shown and painted.
void panelFromClickToShown(benchmark::State& state) {
    MenuBarPanel panel(monitor());
    for (auto _ : state) {
        panel.popUp(QRect(600, 0, 24, 24));
        panel.repaint();
        QApplication::processEvents();
        state.PauseTiming();
        panel.close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(panelFromClickToShown)->Unit(benchmark::kMillisecond);

// Creating the tray icon when the host is known (the wait for a host not counted).
void trayIconShown(benchmark::State& state) {
    for (auto _ : state) {
        MenuBarLabel label(monitor());
        label.start(std::chrono::milliseconds(0));
        QApplication::processEvents();
        benchmark::DoNotOptimize(label.isShown());
    }
}
BENCHMARK(trayIconShown)->Unit(benchmark::kMillisecond);

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
