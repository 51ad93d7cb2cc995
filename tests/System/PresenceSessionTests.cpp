// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "LoggedLines.h"
#include "SessionHarness.h"
#include "TempHome.h"

#include "Tisko/Support/Log.h"

#include "Tisko/System/LinuxPresence.h"
#include "Tisko/System/X11Display.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace tisko {
namespace {

using namespace std::chrono_literals;

class SessionPresence : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::insideHarness());
        Log::restartForTesting();
    }
    void TearDown() override { Log::restartForTesting(); }
    LinuxPresence presence(X11Display* x11, bool wayland = false) {
        return LinuxPresence({QDBusConnection::systemBus(), QDBusConnection::sessionBus(), x11,
                              nullptr, QString(), nullptr, 250ms, wayland});
    }
    test::TempHome home;
    static void movePointer(int x, int y) {
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
        ASSERT_TRUE(xdotool.waitForFinished(5000));
        ASSERT_EQ(xdotool.exitCode(), 0);
    }
};

TEST_F(SessionPresence, idleTimeGrowsWhileNothingHappensAndDropsAfterInput) {
    X11Display x11;
    ASSERT_TRUE(x11.isOpen());
    LinuxPresence probe = presence(&x11);
    movePointer(10, 10);
    QThread::msleep(1200);
    const std::optional<double> idle = probe.secondsSinceLastInput();
    ASSERT_TRUE(idle);
    EXPECT_GE(*idle, 1.0);
    movePointer(300, 200);
    const std::optional<double> after = probe.secondsSinceLastInput();
    ASSERT_TRUE(after);
    EXPECT_LT(*after, 0.5);
}

TEST_F(SessionPresence, onWaylandTheScreenSaversIdleTimeComesBeforeTheXServersInItsOwnUnit) {
    // KDE's screensaver answers in milliseconds, the others in seconds.
    QTemporaryDir programs;
    const QString kde = programs.filePath(QStringLiteral("ksmserver"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/bin/python3"), kde));
    for (const auto& [python, seconds] :
         {std::pair(QStringLiteral("/usr/bin/python3"), 1234.0), std::pair(kde, 1.234)}) {
        test::DBusMock saver(QStringLiteral("org.freedesktop.ScreenSaver"),
                             QStringLiteral("/org/freedesktop/ScreenSaver"),
                             QStringLiteral("org.freedesktop.ScreenSaver"), python);
        ASSERT_TRUE(saver.isReady());
        ASSERT_TRUE(saver.addMethod(QStringLiteral("GetSessionIdleTime"), {}, QStringLiteral("u"),
                                    QStringLiteral("ret = 1234")));
        X11Display x11;
        EXPECT_EQ(presence(&x11, true).secondsSinceLastInput(), std::optional(seconds))
            << python.toStdString();
    }
}

TEST_F(SessionPresence, onWaylandTheXServerAloneNeverTakesTheUserForAbsent) {
    // Xwayland sees no input to Wayland windows: its idle time must not decide, and with no
    // other source nobody can tell.
    X11Display x11;
    ASSERT_TRUE(x11.idleMilliseconds().has_value());
    const QDBusConnection noBus(QStringLiteral("tisko-no-bus"));
    LinuxPresence probe({noBus, noBus, &x11, nullptr, QString(), nullptr, 250ms, true});
    EXPECT_EQ(probe.secondsSinceLastInput(), std::nullopt);
    EXPECT_EQ(probe.secondsSinceLastInput(), std::nullopt);
    EXPECT_EQ(test::loggedMessages().filter(QStringLiteral("Tiempo sin teclado")).size(), 1)
        << "the source is said once";
}

TEST_F(SessionPresence, mutterIdleMonitorAndPowerSaveModeComeFirst) {
    test::DBusMock idle(QStringLiteral("org.gnome.Mutter.IdleMonitor"),
                        QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
                        QStringLiteral("org.gnome.Mutter.IdleMonitor"));
    test::DBusMock display(QStringLiteral("org.gnome.Mutter.DisplayConfig"),
                           QStringLiteral("/org/gnome/Mutter/DisplayConfig"),
                           QStringLiteral("org.gnome.Mutter.DisplayConfig"));
    ASSERT_TRUE(idle.isReady());
    ASSERT_TRUE(display.isReady());
    ASSERT_TRUE(idle.addMethod(QStringLiteral("GetIdletime"), {}, QStringLiteral("t"),
                               QStringLiteral("ret = 754000")));
    ASSERT_TRUE(display.addProperty(QStringLiteral("PowerSaveMode"), QVariant(3)));

    X11Display x11;
    LinuxPresence probe = presence(&x11);
    EXPECT_EQ(probe.secondsSinceLastInput(), std::optional<double>(754.0));
    EXPECT_TRUE(probe.mainDisplayAsleep());
}

TEST_F(SessionPresence, unknownPowerSaveModeFallsThroughToTheXServer) {
    test::DBusMock display(QStringLiteral("org.gnome.Mutter.DisplayConfig"),
                           QStringLiteral("/org/gnome/Mutter/DisplayConfig"),
                           QStringLiteral("org.gnome.Mutter.DisplayConfig"));
    ASSERT_TRUE(display.isReady());
    ASSERT_TRUE(display.addProperty(QStringLiteral("PowerSaveMode"), QVariant(-1)));
    X11Display x11;
    // Xvfb has no DPMS and there is no /sys here: nobody can tell, so the display is awake.
    EXPECT_FALSE(x11.monitorAsleep());
    EXPECT_FALSE(presence(&x11).mainDisplayAsleep());
}

} // namespace
} // namespace tisko
