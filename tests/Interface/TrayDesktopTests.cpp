// The tray icon on a real XEmbed tray host (trayer) in the headless desktop, opened with a
// real click.
#include "LoggedLines.h"
#include "EventLoop.h"
#include "MonitorHarness.h"

#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/MenuBarPanel.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"

#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

TEST(TrayHost, iconDocksInARealTrayAndAClickOpensThePanelUnderIt) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsSet("TISKO_HEADLESS_HARNESS"))
        GTEST_SKIP() << "needs the headless desktop (tests/harness/run-headless)";
    const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    ASSERT_FALSE(trayer.isEmpty() || xdotool.isEmpty()) << "trayer and xdotool are installed by "
                                                           "scripts/install-deps";
    MonitorHarness harness;
    Log::restartForTesting();
    harness.monitor().start();
    MenuBarPanel panel(harness.monitor(), {});
    MenuBarLabel label(harness.monitor());
    QObject::connect(&label, &MenuBarLabel::panelRequested, &panel, &MenuBarPanel::popUp);

    // No tray host yet: Tisko says so once and goes on.
    label.start(std::chrono::milliseconds(0));
    ASSERT_TRUE(label.isShown());
    Log::flush();
    EXPECT_EQ(loggedMessages().filter(QStringLiteral("Bandeja del sistema")).size(), 1);

    QProcess host;
    host.start(trayer, QStringLiteral("--edge top --align right --widthtype pixel --width 120 "
                                      "--height 32 --SetDockType true")
                           .split(u' '));
    ASSERT_TRUE(host.waitForStarted());
    // The icon docks by itself once the tray appears, at the tray's place on the right.
    ASSERT_TRUE(waitUntil([&] { return label.geometry().x() > 0; }, std::chrono::seconds(10)));
    const QRect icon = label.geometry();

    ASSERT_EQ(
        QProcess::execute(xdotool, {QStringLiteral("mousemove"), QString::number(icon.center().x()),
                                    QString::number(icon.center().y()), QStringLiteral("click"),
                                    QStringLiteral("1")}),
        0);
    ASSERT_TRUE(waitUntil([&] { return panel.isVisible(); }));
    EXPECT_GE(panel.geometry().top(), icon.bottom());
    EXPECT_LE(std::abs(panel.geometry().center().x() - icon.center().x()), 300);

    // The icon goes with the setting and comes back without a restart.
    SettingsStore::setShowsMenuBarIcon(false);
    EXPECT_FALSE(label.isShown());
    SettingsStore::setShowsMenuBarIcon(true);
    EXPECT_TRUE(label.isShown());
    EXPECT_TRUE(waitUntil([&] { return label.geometry().x() > 0; }, std::chrono::seconds(10)));

    endProcess(host);
    Log::restartForTesting();
}

} // namespace
} // namespace tisko::test
