// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The probes against the headless desktop of tests/harness/run-headless: its X server, its
// session bus and the logind stand-in on its system bus.
#include <gtest/gtest.h>

#include "DBusMockCall.h"
#include "EventLoop.h"
#include "FakeDisplays.h"
#include "LoggedLines.h"
#include "TempHome.h"

#include "Tisko/Support/Log.h"
#include "Tisko/System/DBusScreenState.h"
#include "Tisko/System/DisplaySet.h"
#include "Tisko/System/DisplayWatcher.h"
#include "Tisko/System/LinuxPresence.h"
#include "Tisko/System/WakeWatcher.h"
#include "Tisko/System/X11Display.h"

#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <iostream>

namespace tisko {
namespace {

using namespace std::chrono_literals;

const QString logindService = QStringLiteral("org.freedesktop.login1");

// Calls a method of dbusmock's control interface; fails the test when it fails.
bool callMock(QDBusConnection bus, const QString& service, const QString& path,
              const QString& method, const QVariantList& arguments) {
    const QDBusMessage reply = test::callDBusMock(bus, service, path, method, arguments);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    return reply.type() == QDBusMessage::ReplyMessage;
}

// A python3-dbusmock object with one interface on the harness's session bus, for the life of
// the object; `python` may be a link to the interpreter, which names the process differently.
struct DBusMock {
    DBusMock(const QString& name, const QString& path,
             const QString& python = QStringLiteral("/usr/bin/python3"))
        : m_name(name)
        , m_path(path) {
        m_process.setStandardOutputFile(QProcess::nullDevice()); // its log of every call
        m_process.start(python, {u"-m"_qs, u"dbusmock"_qs, u"--session"_qs, name, path, name});
        ready = test::waitUntil(
            [&] {
                return m_process.state() == QProcess::Running &&
                       QDBusConnection::sessionBus().interface()->isServiceRegistered(name);
            },
            10s);
    }
    ~DBusMock() { test::endProcess(m_process); }
    // Adds a method whose reply the python code computes, or a property.
    bool add(const QString& method, const QString& out, const QString& code) {
        return call(u"AddMethod"_qs, {m_name, method, QString(), out, code});
    }
    bool call(const QString& method, const QVariantList& arguments) {
        return callMock(QDBusConnection::sessionBus(), m_name, m_path, method, arguments);
    }
    bool ready = false;
    QString m_name;
    QString m_path;
    QProcess m_process;
};

struct SessionPresence : ::testing::Test {
    SessionPresence() { Log::restartForTesting(); }
    ~SessionPresence() override { Log::restartForTesting(); }
    LinuxPresence presence(X11Display* x11, bool wayland = false) {
        return LinuxPresence({QDBusConnection::systemBus(), QDBusConnection::sessionBus(), x11,
                              nullptr, QString(), nullptr, 250ms, wayland});
    }
    test::TempHome home;
    static void movePointer(int x, int y) {
        QProcess xdotool;
        xdotool.start(u"xdotool"_qs, {u"mousemove"_qs, QString::number(x), QString::number(y)});
        ASSERT_TRUE(xdotool.waitForFinished(5000));
        ASSERT_EQ(xdotool.exitCode(), 0);
    }
};

TEST_F(SessionPresence, idleTimeGrowsWhileNothingHappensOnWaylandTheScreenSaverDecidesInItsUnit) {
    X11Display x11;
    ASSERT_TRUE(x11.isOpen());
    LinuxPresence probe = presence(&x11);
    movePointer(10, 10);
    EXPECT_TRUE(test::waitUntil([&] { return probe.secondsSinceLastInput() >= 1.0; }, 5s));
    movePointer(300, 200);
    EXPECT_LT(probe.secondsSinceLastInput().value_or(9.0), 0.5);

    // Xwayland sees no input to Wayland windows: its idle time must not decide, and with no
    // other source nobody can tell.
    const QDBusConnection noBus(QStringLiteral("tisko-no-bus"));
    LinuxPresence wayland({noBus, noBus, &x11, nullptr, QString(), nullptr, 250ms, true});
    EXPECT_EQ(wayland.secondsSinceLastInput(), std::nullopt);
    EXPECT_EQ(wayland.secondsSinceLastInput(), std::nullopt);
    EXPECT_EQ(test::loggedMessages().filter(QStringLiteral("Tiempo sin teclado")).size(), 2)
        << "each probe says its source once";

    // Before the X server, the screensaver: KDE's screensaver answers in milliseconds, the others
    // in seconds.
    QTemporaryDir programs;
    const QString kde = programs.filePath(QStringLiteral("ksmserver"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/bin/python3"), kde));
    for (const auto& [python, seconds] :
         {std::pair(QStringLiteral("/usr/bin/python3"), 1234.0), std::pair(kde, 1.234)}) {
        DBusMock saver(u"org.freedesktop.ScreenSaver"_qs, u"/org/freedesktop/ScreenSaver"_qs,
                       python);
        ASSERT_TRUE(saver.ready);
        ASSERT_TRUE(saver.add(u"GetSessionIdleTime"_qs, u"u"_qs, u"ret = 1234"_qs));
        EXPECT_EQ(presence(&x11, true).secondsSinceLastInput(), std::optional(seconds))
            << python.toStdString();
    }
}

TEST_F(SessionPresence, mutterComesFirstAndAnUnknownPowerSaveModeFallsThroughToTheXServer) {
    const QString mutter = QStringLiteral("org.gnome.Mutter.");
    DBusMock idle(mutter + u"IdleMonitor"_qs, u"/org/gnome/Mutter/IdleMonitor/Core"_qs);
    DBusMock display(mutter + u"DisplayConfig"_qs, u"/org/gnome/Mutter/DisplayConfig"_qs);
    ASSERT_TRUE(idle.ready && display.ready);
    ASSERT_TRUE(idle.add(u"GetIdletime"_qs, u"t"_qs, u"ret = 754000"_qs));
    ASSERT_TRUE(display.call(u"AddProperty"_qs, {mutter + u"DisplayConfig"_qs, u"PowerSaveMode"_qs,
                                                 QVariant::fromValue(QDBusVariant(3))}));

    X11Display x11;
    LinuxPresence probe = presence(&x11);
    EXPECT_EQ(probe.secondsSinceLastInput(), std::optional<double>(754.0));
    EXPECT_TRUE(probe.mainDisplayAsleep());

    // On, in standby, and in a mode nobody knows (Xvfb has no DPMS and there is no /sys here:
    // nobody can tell, so the display is awake).
    EXPECT_FALSE(x11.monitorAsleep());
    for (const auto& [mode, asleep] : {std::pair(0, false), {1, true}, {-1, false}}) {
        ASSERT_TRUE(display.call(
            u"UpdateProperties"_qs,
            {mutter + u"DisplayConfig"_qs, QVariantMap{{u"PowerSaveMode"_qs, QVariant(mode)}}}));
        EXPECT_EQ(probe.mainDisplayAsleep(), asleep) << mode;
    }
}

// logind's session "auto" on the harness's system bus, with its LockedHint set by the test.
TEST(LogindLock, theHintDecidesThenAnActiveScreenSaverAndWrongTypesOrLateAnswersAreNone) {
    const QString session = u"/org/freedesktop/login1/session/auto"_qs;
    // Fails harmlessly when an earlier test of the same run made the session.
    test::callDBusMock(QDBusConnection::systemBus(), logindService, u"/org/freedesktop/login1"_qs,
                       u"AddSession"_qs, {u"auto"_qs, u"seat0"_qs, 1000u, u"tisko"_qs, true});
    const auto locked = [] {
        return DBusScreenState(QDBusConnection::systemBus(), QDBusConnection::sessionBus())
            .isLocked();
    };
    EXPECT_FALSE(locked());
    // A hint of the wrong type is no lock.
    for (const auto& [hint, on] : {std::pair(QVariant(true), true),
                                   {QVariant(u"true"_qs), false},
                                   {QVariant(1), false},
                                   {QVariant(false), false}}) {
        callMock(QDBusConnection::systemBus(), logindService, session, u"UpdateProperties"_qs,
                 {u"org.freedesktop.login1.Session"_qs, QVariantMap{{u"LockedHint"_qs, hint}}});
        EXPECT_EQ(locked(), on) << hint.toString().toStdString();
    }

    // Without logind (the probe's "system bus" is the session bus), the screensavers answer.
    const auto probe = [](std::chrono::milliseconds budget) {
        return DBusScreenState(QDBusConnection::sessionBus(), QDBusConnection::sessionBus(),
                               budget);
    };
    DBusMock saver(u"org.freedesktop.ScreenSaver"_qs, u"/org/freedesktop/ScreenSaver"_qs);
    DBusMock xfce(u"org.xfce.ScreenSaver"_qs, u"/org/xfce/ScreenSaver"_qs);
    ASSERT_TRUE(saver.ready && xfce.ready);
    // A reply of the wrong type is no answer, so the next screensaver is asked.
    ASSERT_TRUE(saver.add(u"GetActive"_qs, u"s"_qs, u"ret = 'yes'"_qs));
    ASSERT_TRUE(xfce.add(u"GetActive"_qs, u"b"_qs, u"ret = True"_qs));
    EXPECT_TRUE(probe(1s).isLocked());
    ASSERT_TRUE(xfce.add(u"GetActive"_qs, u"b"_qs, u"ret = False"_qs));
    EXPECT_FALSE(probe(1s).isLocked());

    // A screensaver that never answers costs only the budget, which all of them share.
    ASSERT_TRUE(saver.add(u"GetActive"_qs, u"b"_qs, u"import time; time.sleep(20); ret = True"_qs));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(probe(250ms).isLocked());
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(Wake, aWakeAnnouncedTwiceIsToldOnceGoingToSleepNotAtAllAndSuspendedTimeCounts) {
    // With logind, a jump of suspended time is no second wake.
    double suspended = 100.0;
    WakeWatcher watcher(
        QDBusConnection::systemBus(), nullptr, [&] { return suspended; }, 10ms);
    ASSERT_TRUE(watcher.usesLogind());
    QSignalSpy woke(&watcher, &WakeWatcher::woke);
    const auto announceSleep = [](bool starting) {
        callMock(QDBusConnection::systemBus(), logindService, u"/org/freedesktop/login1"_qs,
                 u"EmitSignal"_qs,
                 {u"org.freedesktop.login1.Manager"_qs, u"PrepareForSleep"_qs, u"b"_qs,
                  QVariant::fromValue(QVariantList{QVariant::fromValue(QDBusVariant(starting))})});
    };
    for (const bool starting : {false, false, true, false})
        announceSleep(starting);
    EXPECT_TRUE(test::waitUntil([&] { return woke.count() >= 2; }, 3s));
    suspended += 3600.0;
    test::spin(300ms);
    EXPECT_EQ(woke.count(), 2);

    // Without logind, a jump of suspended time is a wake, told once.
    WakeWatcher clock(
        QDBusConnection(QStringLiteral("tisko-no-bus")), nullptr, [&] { return suspended; }, 10ms);
    ASSERT_FALSE(clock.usesLogind());
    QSignalSpy clockWoke(&clock, &WakeWatcher::woke);
    suspended += 3600.0;
    EXPECT_TRUE(test::waitUntil([&] { return clockWoke.count() == 1; }, 2s));
    test::spin(100ms);
    EXPECT_EQ(clockWoke.count(), 1);
}

TEST(SessionDisplays, monitorsAddedAndRemovedRaiseTheChangeAndAnOutputsEdidGivesTheKey) {
    const auto xrandr = [](const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral("xrandr"), arguments);
        return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    };
    DisplayWatcher watcher;
    QSignalSpy changed(&watcher, &DisplayWatcher::displaysChanged);
    xrandr({QStringLiteral("--delmonitor"), QStringLiteral("TiskoSide")});
    ASSERT_TRUE(xrandr({QStringLiteral("--setmonitor"), QStringLiteral("TiskoSide"),
                        QStringLiteral("640/170x480/130+0+0"), QStringLiteral("none")}));
    EXPECT_TRUE(test::waitUntil([&] { return changed.count() >= 1; }, 5s));
    const qsizetype afterAdd = changed.count();
    ASSERT_TRUE(xrandr({QStringLiteral("--delmonitor"), QStringLiteral("TiskoSide")}));
    EXPECT_TRUE(test::waitUntil([&] { return changed.count() > afterAdd; }, 5s));

    X11Display x11;
    ASSERT_TRUE(x11.isOpen());
    // Xvfb's one output has no EDID of its own.
    EXPECT_EQ(DisplaySet::currentKey({&x11}), QStringLiteral("displays:"));

    // The test puts one on the first output, as a monitor's driver would.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    ASSERT_TRUE(resources != nullptr && resources->noutput > 0);
    const RROutput output = resources->outputs[0];
    XRRFreeScreenResources(resources);
    const Atom edid = XInternAtom(display, "EDID", False);
    const QByteArray blob = test::edidBlob("GSM", 0x5B7F, 0, "308NTAB1C123");
    XRRChangeOutputProperty(display, output, edid, XA_INTEGER, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(blob.constData()),
                            static_cast<int>(blob.size()));
    XSync(display, False);
    EXPECT_EQ(DisplaySet::currentKey({&x11}), DisplaySet::keyFor({blob}));
    EXPECT_EQ(DisplaySet::currentKey(), DisplaySet::keyFor({blob}));
    XRRDeleteOutputProperty(display, output, edid);
    XCloseDisplay(display);
}

} // namespace
} // namespace tisko

// The session tests share one QGuiApplication on the harness's X server. Listing the tests
// (as the build does) needs no desktop; running them elsewhere fails at once, so that nothing
// talks to the user's own desktop or buses.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    if (qgetenv("TISKO_HEADLESS_HARNESS") != "1") {
        std::cerr << "the session tests need the headless desktop: run them as "
                     "tests/harness/run-headless ctest -L integration\n";
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
