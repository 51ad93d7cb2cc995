#include <gtest/gtest.h>

#include "SessionHarness.h"

#include "Tisko/System/LinuxPresence.h"
#include "Tisko/System/X11Display.h"

#include <QProcess>
#include <QThread>

namespace tisko {
namespace {

using namespace std::chrono_literals;

class SessionPresence : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::insideHarness()); }
    LinuxPresence presence(X11Display* x11, bool wayland = false) {
        return LinuxPresence({QDBusConnection::systemBus(), QDBusConnection::sessionBus(), x11,
                              nullptr, QString(), nullptr, 250ms, wayland});
    }
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

TEST_F(SessionPresence, onWaylandTheScreenSaversIdleTimeComesBeforeTheXServers) {
    test::DBusMock saver(QStringLiteral("org.freedesktop.ScreenSaver"),
                         QStringLiteral("/org/freedesktop/ScreenSaver"),
                         QStringLiteral("org.freedesktop.ScreenSaver"));
    ASSERT_TRUE(saver.isReady());
    ASSERT_TRUE(saver.addMethod(QStringLiteral("GetSessionIdleTime"), {}, QStringLiteral("u"),
                                QStringLiteral("ret = 1234")));
    X11Display x11;
    EXPECT_EQ(presence(&x11, true).secondsSinceLastInput(), std::optional<double>(1234.0));
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
