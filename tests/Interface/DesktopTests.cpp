// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The interface on the headless desktop: the tray icon on real tray hosts (an XEmbed tray,
// trayer, opened with a real click, and a StatusNotifier watcher that starts after Tisko and
// restarts); the recording window with a sample camera of a photograph, a real click on "Tomar
// posición", and the position in the data file.
#include "EventLoop.h"
#include "LoggedLines.h"
#include "MonitorHarness.h"

#include "Tisko/Camera/CameraLook.h"
#include "Tisko/Debug/DebugTools.h"
#include "Tisko/Interface/CalibrationModel.h"
#include "Tisko/Interface/CalibrationView.h"
#include "Tisko/Interface/CameraPreview.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/MenuBarPanel.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/X11Display.h"
#include "Tisko/System/X11TraySelection.h"
#include "TiskoCore/JsonCodec.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace tisko::test {
namespace {

using namespace std::chrono_literals;

// The private StatusNotifier watcher; it says "ready", then "item …" for each item that
// registers with it.
struct Watcher {
    QProcess process;
    QString said;

    bool waitFor(const QString& word) {
        return waitUntil(
            [&] {
                said += QString::fromUtf8(process.readAll());
                return said.contains(word);
            },
            10s);
    }
    bool start() {
        said.clear();
        process.start(QStringLiteral(TISKO_TEST_HARNESS "/status-notifier-watcher"), {});
        return process.waitForStarted() && waitFor(QStringLiteral("ready"));
    }
};

TEST(TrayHost, anXEmbedTrayTakesTheIconAtOnceAndAClickOpensThePanelUnderIt) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsSet("TISKO_HEADLESS_HARNESS") ||
        QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the headless desktop (tests/harness/run-headless)";
    const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    ASSERT_FALSE(trayer.isEmpty() || xdotool.isEmpty()) << "trayer and xdotool are installed by "
                                                           "scripts/install-deps";
    MonitorHarness harness;
    Log::restartForTesting();
    harness.monitor().start();
    MenuBarPanel panel(harness.monitor());
    MenuBarLabel label(harness.monitor());
    QObject::connect(&label, &MenuBarLabel::panelRequested, &panel, &MenuBarPanel::popUp);

    QProcess host;
    host.start(trayer, QStringLiteral("--edge top --align right --widthtype pixel --width 120 "
                                      "--height 32 --SetDockType true")
                           .split(u' '));
    ASSERT_TRUE(host.waitForStarted());
    ASSERT_TRUE(waitUntil([] { return X11Display::shared().systemTrayPresent(); }, 10s));
    // The tray is there: the icon comes at once, not after the wait for a StatusNotifier host.
    label.start(1h);
    EXPECT_TRUE(waitUntil([&] { return label.isShown(); }, 3s));
    ASSERT_TRUE(waitUntil([&] { return label.geometry().x() > 0; }, 10s));
    const QRect icon = label.geometry();

    ASSERT_EQ(
        QProcess::execute(xdotool, {QStringLiteral("mousemove"), QString::number(icon.center().x()),
                                    QString::number(icon.center().y()), QStringLiteral("click"),
                                    QStringLiteral("1")}),
        0);
    ASSERT_TRUE(waitUntil([&] { return panel.isVisible(); }));
    EXPECT_GE(panel.geometry().top(), icon.bottom());
    EXPECT_LE(std::abs(panel.geometry().center().x() - icon.center().x()), 300);
    panel.close();

    // A new state with the same dot changes the tooltip; the icon is drawn again only for a new
    // dot.
    Monitor& monitor = harness.monitor();
    monitor.setPause(addSeconds(monitor.now(), 60));
    const qint64 paused = label.trayIcon()->icon().cacheKey();
    const QString tip = label.trayIcon()->toolTip();
    monitor.setPause(addSeconds(monitor.now(), 86400));
    EXPECT_EQ(label.trayIcon()->icon().cacheKey(), paused);
    EXPECT_NE(label.trayIcon()->toolTip(), tip);
    monitor.setPause(std::nullopt);
    EXPECT_NE(label.trayIcon()->icon().cacheKey(), paused);

    // The icon goes with the setting, and no tray is looked for then; it comes back without a
    // restart.
    SettingsStore::setShowsMenuBarIcon(false);
    EXPECT_FALSE(label.isShown() || label.hasHost());
    SettingsStore::setShowsMenuBarIcon(true);
    EXPECT_TRUE(label.isShown());
    EXPECT_TRUE(waitUntil([&] { return label.geometry().x() > 0; }, 10s));

    // The X server tells when the tray goes: nothing polls for it.
    X11TraySelection selection;
    EXPECT_TRUE(selection.present());
    endProcess(host);
    EXPECT_TRUE(waitUntil([&] { return !selection.present() && !label.hasHost(); }, 10s));
    Log::restartForTesting();
}

// Run on X11 and, through tests/harness/run-weston, on Wayland.
TEST(TrayHost, aStatusNotifierHostThatComesLaterGetsTheIconAndAgainAfterARestart) {
    if (!qEnvironmentVariableIsSet("TISKO_HEADLESS_HARNESS"))
        GTEST_SKIP() << "needs the headless desktop (tests/harness/run-headless)";
    static QStringList warnings; // Qt's, while the test runs
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                warnings << text;
        });
    MonitorHarness harness;
    Log::restartForTesting();
    harness.monitor().start();
    MenuBarLabel label(harness.monitor());
    bool decidedWithout = false;
    QObject::connect(&label, &MenuBarLabel::hostDecidedChanged,
                     [&](bool found) { decidedWithout = !found; });

    // Nothing is there that could become a tray: that is decided without waiting.
    label.start(1h);
    ASSERT_TRUE(waitUntil([&] { return label.hostDecided(); }));
    EXPECT_TRUE(decidedWithout);
    EXPECT_FALSE(label.isShown());
    EXPECT_FALSE(MenuBarLabel::trayFound());

    Watcher watcher;
    ASSERT_TRUE(watcher.start()) << "the watcher needs python3-dbus (scripts/install-deps)";
    ASSERT_TRUE(watcher.waitFor(QStringLiteral("item ")));
    EXPECT_TRUE(label.isShown());
    EXPECT_TRUE(MenuBarLabel::trayFound());

    // The panel restarts: the icon registers with the new watcher by itself.
    endProcess(watcher.process);
    ASSERT_TRUE(watcher.start());
    EXPECT_TRUE(watcher.waitFor(QStringLiteral("item ")));

    Log::flush();
    EXPECT_EQ(loggedMessages().filter(QStringLiteral("no hay ninguna")).size(), 1);
    EXPECT_EQ(loggedMessages().filter(QStringLiteral("icono mostrado (StatusNotifier)")).size(), 1);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();
    endProcess(watcher.process);
    Log::restartForTesting();
}

// A watcher busy starting up (Plasma's answers in 2 to 4 s, after Tisko's question has timed
// out, and announces no host later) is asked again until it answers; one that never answers is
// followed to the watcher that replaces it.
TEST(TrayHost, aWatcherThatAnswersLateOrOnlyAfterARestartStillGetsTheIcon) {
    if (!qEnvironmentVariableIsSet("TISKO_HEADLESS_HARNESS"))
        GTEST_SKIP() << "needs the headless desktop (tests/harness/run-headless)";
    MonitorHarness harness;
    Log::restartForTesting();
    harness.monitor().start();
    Watcher watcher;
    ASSERT_TRUE(watcher.start()) << "the watcher needs python3-dbus (scripts/install-deps)";
    for (const bool restarted : {false, true}) {
        const auto busy = pid_t(watcher.process.processId());
        ::kill(busy, SIGSTOP);
        MenuBarLabel label(harness.monitor());
        label.start(1h);
        spin(restarted ? 3s : 4s);
        if (restarted) {
            watcher.process.kill();
            watcher.process.waitForFinished(3000);
            ASSERT_TRUE(watcher.start());
        } else {
            ::kill(busy, SIGCONT);
        }
        EXPECT_TRUE(watcher.waitFor(QStringLiteral("item "))) << restarted;
        EXPECT_TRUE(label.isShown()) << restarted;
    }
    endProcess(watcher.process);
    Log::restartForTesting();
}

const QString photo = QStringLiteral(TISKO_TEST_PHOTOS "/grace_hopper.jpg");

TEST(CalibrationWindow, aClickRecordsWhatALookMeasuresOnThePhotograph) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the headless desktop (tests/harness/run-headless)";
    if (!QFile::exists(photo))
        GTEST_SKIP() << "the test photographs are not fetched (tests/data/fetch-photos)";
    qputenv("TISKO_CAMERAS", photo.toLocal8Bit());
    const std::shared_ptr<void> unset(nullptr, [](void*) { qunsetenv("TISKO_CAMERAS"); });
    MonitorHarness harness;

    CalibrationModel::Services services = CalibrationModel::Services::forThisMachine();
    services.countdownStep = 50ms; // the camera's own time stays real
    services.finishDelay = 50ms;
    CalibrationModel model(harness.monitor(), std::nullopt, services);
    CalibrationView view(model, false);
    QObject::connect(&model, &CalibrationModel::finished, &view, &QWidget::close);
    view.resize(view.sizeHint());
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    ASSERT_TRUE(waitUntil([&] { return model.seesFace(); }, 30s)) << "the photograph's face";
    const auto buttons = view.findChildren<QPushButton*>();
    QPushButton* take = *std::find_if(buttons.begin(), buttons.end(), [](QPushButton* b) {
        return b->text() == QStringLiteral("Tomar posición");
    });
    ASSERT_TRUE(take->isEnabled());
    QTest::mouseClick(take, Qt::LeftButton);
    // The keyboard stays on the button, and the name can no longer change.
    EXPECT_EQ(QApplication::focusWidget(), take);
    EXPECT_TRUE(view.findChild<QLineEdit*>()->isReadOnly());
    // Saved, shown as saved, and the window goes.
    ASSERT_TRUE(waitUntil([&] { return !view.isVisible(); }, 30s))
        << model.phase().message().toStdString();
    EXPECT_FALSE(view.findChild<CameraPreview*>()->picture().isNull()) << "the last picture stays";

    const QByteArray file = harness.dataFile(QStringLiteral("posiciones.json"));
    const Calibration saved =
        JsonCodec<CalibrationBook>::decode(file.toStdString()).value().active().value();
    EXPECT_EQ(saved.name, "Casa");
    EXPECT_EQ(saved.cameraID, (QStringLiteral("file:") + photo).toStdString());

    // What `tisko --look` prints for the same camera.
    std::optional<LookResult> look;
    CameraLook::take(QStringLiteral("file:") + photo, Monitor::lookFrames, 20,
                     [&look](const LookResult& result) { look = result; });
    ASSERT_TRUE(waitUntil([&] { return look.has_value(); }, 30s));
    const QStringList lines = DebugTools::lookLines(*look, std::nullopt, {}, {});
    ASSERT_EQ(lines.size(), 6) << lines.join(u'\n').toStdString();
    const HeadMeasurement& r = saved.reference;
    const double recorded[] = {r.faceWidth, r.eyeDistance.value_or(-1), r.faceY, r.faceHeight};
    for (int i = 0; i < 4; ++i) {
        const QString field = lines[5].section(u' ', i, i); // "faceWidth=0.2812"
        EXPECT_NEAR(recorded[i], field.section(u'=', 1).toDouble(), 0.01) << field.toStdString();
    }
}

} // namespace
} // namespace tisko::test
