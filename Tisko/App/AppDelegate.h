// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/App/LaunchSwitches.h"
#include "Tisko/Monitor/Monitor.h"
#include "Tisko/App/SingleInstance.h"
#include "Tisko/Interface/CalibrationModel.h"
#include "Tisko/Interface/MenuBarPanel.h"
#include "Tisko/Interface/SettingsTabs.h"
#include "Tisko/Interface/WindowActivation.h"
#include "Tisko/System/DesktopPlatform.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace tisko {

class Appearance;
class MenuBarLabel;
class ScriptingService;
class NotificationRouter;
class UpdateWindow;
struct UpdateOutcome;

// The life of the process: the launch sequence, the command-line switches, the one Monitor,
// the tray icon with its panel, the settings and recording windows (at most one of each),
// and the guard that keeps a second Tisko from writing the same data files.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(QStringList arguments, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Before the application object exists: without a display (no DISPLAY nor
    // WAYLAND_DISPLAY) Qt draws off screen, so Tisko runs headless.
    static void prepareEnvironment();
    // Before the application object exists: whether this launch would start Tisko itself (no
    // switch, unknown ones, --autostart, --show-settings) where there is no display for it (no
    // DISPLAY nor WAYLAND_DISPLAY, and no Qt platform chosen by QT_QPA_PLATFORM or -platform).
    // The diagnostics, --check, --help and --version need none.
    static bool lacksDisplay(const QStringList& arguments);

    // Runs the launch. Returns the exit status when the process should end at once (a later
    // launch that handed its request over), nothing when the event loop should run.
    std::optional<int> launch();
    // The machine's copy of the landmark model in `folder`, as the package makes it; false
    // with the reason when it cannot be made.
    static bool makeSharedModelCopy(const QString& folder, QString* error);

    // Opens the settings window, or brings the open one forward.
    void showSettings();
    // Opens the panel's content as an ordinary window titled "Tisko" (for desktops without a
    // tray, or where a popup cannot be placed at the icon), or brings the open one forward.
    void showPanelWindow();
    // Opens the recording window for a new position, or to record `name` again; brings an
    // open one forward instead (whatever name is asked for).
    void showCalibration(const std::optional<QString>& name = std::nullopt);
    // Opens the history window, or brings the open one forward.
    void showHistory();
    // Forgets a closing window; the recording window's camera stops first.
    void windowWillClose(QObject* window);

    // What scripts and later launches ask of Tisko; null before the launch.
    ScriptingService* scripting() const { return m_scripting.get(); }
    // The one Monitor, once the launch made this process the running Tisko.
    Monitor* monitor() const { return m_monitor.get(); }
    // The tray icon and its panel (for tests); null before the launch.
    MenuBarLabel* label() const { return m_label.get(); }
    MenuBarPanel* panel() const { return m_panel.get(); }
    QWidget* settingsWindow() const { return m_settingsWindow; }
    QWidget* calibrationWindow() const { return m_calibrationWindow; }
    QWidget* historyWindow() const { return m_historyWindow; }
    MenuBarPanel* panelWindow() const { return m_panelWindow; }
    // The update window while it is open (for tests).
    UpdateWindow* updateWindow() const;
    // Whether Tisko presents itself as a windowed application now (a window is open), as
    // opposed to living in the tray only.
    bool showsWindows() const { return m_showsWindows; }

private Q_SLOTS:
    void sessionBusClosed();

private:
    // The three ways a launch goes: a diagnostic that runs and ends (true when it was one), a
    // request handed to the Tisko already running (the exit status), or Tisko itself, whose
    // first windows depend on the switches and on whether a tray shows its icon.
    bool runDiagnostic(const LaunchSwitches& switches);
    int handOver(const LaunchSwitches& switches);
    void openFirstWindows(const LaunchSwitches& switches);
    // Ends an X11 launch's busy pointer when the start showed no window.
    void endLaunchFeedback();
    void startMonitor();
    void startInterface();
    void startScripting();
    // The actions the panel and the tray icon both offer, wired the same for either.
    template <class Source> void wireCommonActions(Source* source);
    // Everything a panel, popup or window, asks of the application.
    void wirePanel(MenuBarPanel* panel);
    void openPanel(QRect iconGeometry);
    // The panel's window for a launch where no icon shows; after the recording window, when
    // that is open.
    void showPanelWindowAfterRecording();
    // Runs `then` once the tray wait has ended with no tray host (at once if it has already).
    void whenNoTray(std::function<void()> then);
    void handleRequest(SingleInstance::Request request);
    void handleSettingsRequest(const QString& tab);
    void quitOnTerminationSignals();
    // Ends Tisko, with a line in the log, when the session bus closes or the display goes.
    void quitWithTheSession();
    void bringForward(QWidget* window);
    static void centre(QWidget* window);
    void showUpdate(const UpdateOutcome& outcome);
    void watchWindow(QWidget* window);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QStringList m_arguments;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<NotificationRouter> m_notifications;
    std::unique_ptr<Monitor> m_monitor;
    std::unique_ptr<Appearance> m_appearance;
    std::unique_ptr<MenuBarLabel> m_label;
    std::unique_ptr<MenuBarPanel> m_panel;
    std::unique_ptr<ScriptingService> m_scripting;
    DesktopPlatform m_platform;
    SettingsTabs m_settingsTabs;
    WindowActivation m_activation;
    QPointer<QWidget> m_settingsWindow;
    QPointer<QWidget> m_calibrationWindow;
    QPointer<QWidget> m_updateWindow;
    QPointer<QWidget> m_historyWindow;
    QPointer<MenuBarPanel> m_panelWindow;
    // When the popup panel last closed.
    QElapsedTimer m_panelClosed;
    QPointer<CalibrationModel> m_calibrationModel;
    bool m_showsWindows = false;
};

} // namespace tisko
