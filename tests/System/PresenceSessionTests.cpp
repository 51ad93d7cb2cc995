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
    LinuxPresence presence(X11Display* x11) {
        return LinuxPresence({QDBusConnection::systemBus(), QDBusConnection::sessionBus(), x11,
                              nullptr, QString(), nullptr});
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

TEST_F(SessionPresence, onWaylandTheDesktopsIdleTimeComesBeforeTheXServers) {
    test::HeadlessWeston weston;
    ASSERT_TRUE(weston.isReady());
    const QByteArray savedDisplay = qgetenv("WAYLAND_DISPLAY");
    qputenv("WAYLAND_DISPLAY", weston.socketPath().toUtf8());
    const bool wayland = LinuxPresence::isWaylandSession();
    qunsetenv("WAYLAND_DISPLAY");
    const bool withoutCompositor = LinuxPresence::isWaylandSession();
    if (!savedDisplay.isEmpty())
        qputenv("WAYLAND_DISPLAY", savedDisplay);
    EXPECT_TRUE(wayland);
    EXPECT_FALSE(withoutCompositor);

    // The desktop says 7 s, the X server (after a pointer move) under one: the answer tells
    // which of them was asked.
    test::DBusMock saver(QStringLiteral("org.freedesktop.ScreenSaver"),
                         QStringLiteral("/org/freedesktop/ScreenSaver"),
                         QStringLiteral("org.freedesktop.ScreenSaver"));
    ASSERT_TRUE(saver.isReady());
    ASSERT_TRUE(saver.addMethod(QStringLiteral("GetSessionIdleTime"), {}, QStringLiteral("u"),
                                QStringLiteral("ret = 7")));
    X11Display x11;
    movePointer(20, 20);
    LinuxPresence::Sources sources{QDBusConnection::systemBus(),
                                   QDBusConnection::sessionBus(),
                                   &x11,
                                   nullptr,
                                   QString(),
                                   nullptr};
    sources.wayland = wayland;
    EXPECT_EQ(LinuxPresence(sources).secondsSinceLastInput(), std::optional<double>(7.0));
    sources.wayland = false;
    EXPECT_LT(LinuxPresence(sources).secondsSinceLastInput().value_or(99), 1.0)
        << "on X11 the X server comes first";
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
