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

namespace tisko {
namespace {

using namespace std::chrono_literals;

class SessionPresence : public ::testing::Test {
protected:
    void SetUp() override { Log::restartForTesting(); }
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

TEST_F(SessionPresence, idleTimeGrowsWhileNothingHappensAndTheXServerNeverDecidesOnWayland) {
    X11Display x11;
    ASSERT_TRUE(x11.isOpen());
    LinuxPresence probe = presence(&x11);
    movePointer(10, 10);
    EXPECT_TRUE(test::waitUntil([&] { return probe.secondsSinceLastInput() >= 1.0; }, 5s));
    movePointer(300, 200);
    const std::optional<double> after = probe.secondsSinceLastInput();
    ASSERT_TRUE(after);
    EXPECT_LT(*after, 0.5);

    // Xwayland sees no input to Wayland windows: its idle time must not decide, and with no
    // other source nobody can tell.
    const QDBusConnection noBus(QStringLiteral("tisko-no-bus"));
    LinuxPresence wayland({noBus, noBus, &x11, nullptr, QString(), nullptr, 250ms, true});
    EXPECT_EQ(wayland.secondsSinceLastInput(), std::nullopt);
    EXPECT_EQ(wayland.secondsSinceLastInput(), std::nullopt);
    EXPECT_EQ(test::loggedMessages().filter(QStringLiteral("Tiempo sin teclado")).size(), 2)
        << "each probe says its source once";
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

TEST_F(SessionPresence, mutterComesFirstAndAnUnknownPowerSaveModeFallsThroughToTheXServer) {
    const QString mutter = QStringLiteral("org.gnome.Mutter.");
    test::DBusMock idle(mutter + u"IdleMonitor"_qs, u"/org/gnome/Mutter/IdleMonitor/Core"_qs,
                        mutter + u"IdleMonitor"_qs);
    test::DBusMock display(mutter + u"DisplayConfig"_qs, u"/org/gnome/Mutter/DisplayConfig"_qs,
                           mutter + u"DisplayConfig"_qs);
    ASSERT_TRUE(idle.isReady());
    ASSERT_TRUE(display.isReady());
    ASSERT_TRUE(idle.addMethod(QStringLiteral("GetIdletime"), {}, QStringLiteral("t"),
                               QStringLiteral("ret = 754000")));
    ASSERT_TRUE(display.addProperty(QStringLiteral("PowerSaveMode"), QVariant(3)));

    X11Display x11;
    LinuxPresence probe = presence(&x11);
    EXPECT_EQ(probe.secondsSinceLastInput(), std::optional<double>(754.0));
    EXPECT_TRUE(probe.mainDisplayAsleep());

    // On, in standby, and in a mode nobody knows (Xvfb has no DPMS and there is no /sys here:
    // nobody can tell, so the display is awake).
    EXPECT_FALSE(x11.monitorAsleep());
    for (const auto& [mode, asleep] : {std::pair(0, false), {1, true}, {-1, false}}) {
        ASSERT_TRUE(test::callMock(
            QDBusConnection::sessionBus(), mutter + u"DisplayConfig"_qs,
            u"/org/gnome/Mutter/DisplayConfig"_qs, u"UpdateProperties"_qs,
            {mutter + u"DisplayConfig"_qs, QVariantMap{{u"PowerSaveMode"_qs, QVariant(mode)}}}));
        EXPECT_EQ(probe.mainDisplayAsleep(), asleep) << mode;
    }
}

} // namespace
} // namespace tisko
