// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The tray's costs on the main thread: the icon drawn at every tray size, the panel from the
// click's signal to shown and painted, and the tray icon created once a host is there.
// Run inside tests/harness/run-headless for a real X server (trayer gives a tray host).
#include "Tisko/Monitor/CameraAvailability.h"
#include "Tisko/Monitor/Monitor.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/MenuBarPanel.h"
#include "Tisko/Support/Storage.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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

Monitor& monitor() {
    static BenchHome home;
    static Monitor* instance = [] {
        auto* m = new Monitor(MonitorServices::forThisDesktop());
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

} // namespace
} // namespace tisko

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
