// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Cost of each probe on the calling thread, with its service answering and with a service
// that never answers. Runs inside the headless desktop:
//   tests/harness/run-headless build/<dir>/bench/System/tisko_probes_bench
#include "DBusMockCall.h"

#include <benchmark/benchmark.h>

#include "Tisko/System/DBusScreenState.h"
#include "Tisko/System/DisplaySet.h"
#include "Tisko/System/LinuxPresence.h"
#include "Tisko/System/SysfsDrm.h"
#include "Tisko/System/X11Display.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <iostream>

namespace {

using namespace tisko;

// A dbusmock object on the session bus for the length of the run.
class Mock {
public:
    Mock(const QString& name, const QString& path, const QString& interface) {
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                         QStringLiteral("--session"), name, path, interface});
        m_process.waitForStarted();
        QDBusMessage ask = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
        ask.setArguments({name});
        for (int i = 0; i < 200; ++i) {
            if (QDBusConnection::sessionBus().call(ask).arguments().value(0).toBool())
                break;
            QThread::msleep(25);
        }
    }
    ~Mock() {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }

private:
    QProcess m_process;
};

void lockFromLogind(benchmark::State& state) {
    DBusScreenState probe(QDBusConnection::systemBus(), QDBusConnection::sessionBus());
    for (auto _ : state)
        benchmark::DoNotOptimize(probe.isLocked());
}
BENCHMARK(lockFromLogind)->Unit(benchmark::kMillisecond);

void lockFromScreenSaver(benchmark::State& state) {
    Mock saver(QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver"),
               QStringLiteral("org.gnome.ScreenSaver"));
    test::callDBusMock(QDBusConnection::sessionBus(), QStringLiteral("org.gnome.ScreenSaver"),
                       QStringLiteral("/org/gnome/ScreenSaver"), QStringLiteral("AddMethod"),
                       {QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("GetActive"),
                        QString(), QStringLiteral("b"), QStringLiteral("ret = False")});
    // No logind on this "system bus": the chain goes on to the screensavers.
    DBusScreenState probe(QDBusConnection::sessionBus(), QDBusConnection::sessionBus());
    for (auto _ : state)
        benchmark::DoNotOptimize(probe.isLocked());
}
BENCHMARK(lockFromScreenSaver)->Unit(benchmark::kMillisecond);

void lockWithHungScreenSaver(benchmark::State& state) {
    Mock saver(QStringLiteral("org.freedesktop.ScreenSaver"),
               QStringLiteral("/org/freedesktop/ScreenSaver"),
               QStringLiteral("org.freedesktop.ScreenSaver"));
    test::callDBusMock(QDBusConnection::sessionBus(), QStringLiteral("org.freedesktop.ScreenSaver"),
                       QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("AddMethod"),
                       {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("GetActive"),
                        QString(), QStringLiteral("b"),
                        QStringLiteral("import time; time.sleep(0.3); ret = True")});
    DBusScreenState probe(QDBusConnection::sessionBus(), QDBusConnection::sessionBus());
    for (auto _ : state)
        benchmark::DoNotOptimize(probe.isLocked());
}
BENCHMARK(lockWithHungScreenSaver)->Unit(benchmark::kMillisecond)->Iterations(5);

LinuxPresence presence(X11Display* x11, const SysfsDrm* drm, const QString& companion) {
    return LinuxPresence({QDBusConnection::systemBus(), QDBusConnection::sessionBus(), x11, drm,
                          companion, nullptr});
}

void idleFromX11(benchmark::State& state) {
    X11Display x11;
    LinuxPresence probe = presence(&x11, nullptr, {});
    for (auto _ : state)
        benchmark::DoNotOptimize(probe.secondsSinceLastInput());
}
BENCHMARK(idleFromX11)->Unit(benchmark::kMillisecond);

void idleFromMutter(benchmark::State& state) {
    Mock idle(QStringLiteral("org.gnome.Mutter.IdleMonitor"),
              QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
              QStringLiteral("org.gnome.Mutter.IdleMonitor"));
    test::callDBusMock(
        QDBusConnection::sessionBus(), QStringLiteral("org.gnome.Mutter.IdleMonitor"),
        QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"), QStringLiteral("AddMethod"),
        {QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("GetIdletime"), QString(),
         QStringLiteral("t"), QStringLiteral("ret = 1000")});
    LinuxPresence probe = presence(nullptr, nullptr, {});
    for (auto _ : state)
        benchmark::DoNotOptimize(probe.secondsSinceLastInput());
}
BENCHMARK(idleFromMutter)->Unit(benchmark::kMillisecond);

void displayAsleepThroughWholeChain(benchmark::State& state) {
    // Xvfb: no Mutter, no DPMS; the answer comes from the kernel's connectors (or nobody).
    X11Display x11;
    const SysfsDrm drm;
    LinuxPresence probe = presence(&x11, &drm, {});
    for (auto _ : state)
        benchmark::DoNotOptimize(probe.mainDisplayAsleep());
}
BENCHMARK(displayAsleepThroughWholeChain)->Unit(benchmark::kMillisecond);

void companionNudge(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Despierto.conf"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("[General]\nkeepAwakeLastNudge=2025-03-14T09:26:53.000Z\n");
    file.close();
    LinuxPresence probe = presence(nullptr, nullptr, path);
    for (auto _ : state)
        benchmark::DoNotOptimize(probe.companionKeepingAwake());
}
BENCHMARK(companionNudge)->Unit(benchmark::kMillisecond);

void displayKeyFromRandr(benchmark::State& state) {
    X11Display x11;
    for (auto _ : state)
        benchmark::DoNotOptimize(DisplaySet::currentKey({&x11}));
}
BENCHMARK(displayKeyFromRandr)->Unit(benchmark::kMillisecond);

void displayKeyFromSysfs(benchmark::State& state) {
    SysfsDrm drm;
    for (auto _ : state)
        benchmark::DoNotOptimize(DisplaySet::currentKey({&drm}));
}
BENCHMARK(displayKeyFromSysfs)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qgetenv("TISKO_HEADLESS_HARNESS") != "1") {
        std::cerr << "run inside tests/harness/run-headless\n";
        return 1;
    }
    QCoreApplication app(argc, argv);
    // logind's session for this process, as a login would have made it.
    test::callDBusMock(
        QDBusConnection::systemBus(), QStringLiteral("org.freedesktop.login1"),
        QStringLiteral("/org/freedesktop/login1"), QStringLiteral("AddSession"),
        {QStringLiteral("auto"), QStringLiteral("seat0"), 1000u, QStringLiteral("tisko"), true});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
