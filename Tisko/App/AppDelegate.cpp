// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/App/AppDelegate.h"

#include "Tisko/App/ScriptingService.h"
#include "Tisko/App/TerminationSignals.h"

#include "Tisko/Camera/CameraSession.h"
#include "Tisko/Camera/FaceModel.h"
#include "Tisko/Camera/LandmarkModelCache.h"
#include "Tisko/Debug/DebugTools.h"
#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/CalibrationView.h"
#include "Tisko/Interface/HistoryWindow.h"
#include "Tisko/Interface/SettingsWindow.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/MenuBarPanel.h"
#include "Tisko/Interface/PrivacySettings.h"
#include "Tisko/Interface/UpdateWindow.h"
#include "Tisko/Interface/WindowActivation.h"
#include "Tisko/Monitor/CheckLog.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/QtMessages.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/Support/Storage.h"
#include "Tisko/System/LoginItem.h"
#include "Tisko/System/LoginNotice.h"
#include "Tisko/System/NotificationPermission.h"
#include "Tisko/System/NotificationRouter.h"
#include "Tisko/System/NotificationStatus.h"
#include "Tisko/System/Notifier.h"
#include "Tisko/System/Updater.h"
#include "Tisko/System/X11Display.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QScreen>
#include <QThread>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace tisko {

namespace {

constexpr int checkRunMs = 5000;

// The delegate of the running Tisko, for the end Qt announces when the display goes.
AppDelegate* runningDelegate = nullptr;

// The permission to take the focus this process was launched with, read before Qt starts.
QByteArray& startedWith() {
    static QByteArray token;
    return token;
}

// Ends the event loop, also when called before the loop has started.
void quitApplication() {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

// The version of the update on offer, as the panels show it.
std::optional<QString> availableVersion() {
    return Updater::shared().availableVersion();
}

// Ends the event loop with a failure status when a diagnostic could not write its output.
void quitDiagnostic(bool written) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [written] { QCoreApplication::exit(written ? 0 : 1); },
        Qt::QueuedConnection);
}

} // namespace

AppDelegate::AppDelegate(QStringList arguments, QObject* parent)
    : QObject(parent)
    , m_arguments(std::move(arguments)) {}

AppDelegate::~AppDelegate() {
    // The camera's work ends before main returns and static objects (the face detector) go.
    if (!CameraSession::stopAll(std::chrono::seconds(3))) {
        Log::error(QStringLiteral("La cámara no ha parado en 3 s: Tisko termina sin esperarla"));
        Log::flush();
        std::_Exit(1);
    }
    if (runningDelegate == this)
        runningDelegate = nullptr;
    // Windows first: they look at the Monitor.
    delete m_settingsWindow.data();
    delete m_calibrationWindow.data();
    delete m_updateWindow.data();
    delete m_historyWindow.data();
    delete m_panelWindow.data();
    m_scripting.reset();
    m_panel.reset();
    m_label.reset();
}

void AppDelegate::prepareEnvironment() {
    startedWith() = WindowActivation::launchToken();
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

bool AppDelegate::lacksDisplay(const QStringList& arguments) {
    const LaunchSwitches::Kind kind = LaunchSwitches::scan(arguments).kind;
    // A pause or a resume with nobody running would start a hidden Tisko; scripts without a
    // display reach the running one over D-Bus.
    using Kind = LaunchSwitches::Kind;
    if (kind != Kind::none && kind != Kind::showSettings && kind != Kind::pause &&
        kind != Kind::resume)
        return false;
    const bool platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
                                arguments.contains(QStringLiteral("-platform")) ||
                                arguments.contains(QStringLiteral("--platform"));
    return !platformChosen && qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

std::optional<int> AppDelegate::launch() {
    const LaunchSwitches switches = LaunchSwitches::scan(m_arguments);
    QApplication::setQuitOnLastWindowClosed(false);
    if (runDiagnostic(switches))
        return std::nullopt;
    m_instance = SingleInstance::forDataFolder();
    m_instance->setActivationToken(startedWith());
    if (!m_instance->claim())
        return handOver(switches);
    connect(m_instance.get(), &SingleInstance::handedOver, this,
            [this](const QByteArray& token) { m_activation.expect(token); });
    connect(m_instance.get(), &SingleInstance::requested, this, &AppDelegate::handleRequest);
    connect(m_instance.get(), &SingleInstance::settingsRequested, this,
            &AppDelegate::handleSettingsRequest);
    // From here on Qt's own warnings go to the log too; the diagnostics write none.
    QtMessages::install();
    quitOnTerminationSignals();
    quitWithTheSession();
    startMonitor();
    startInterface();
    startScripting();
    connect(m_instance.get(), &SingleInstance::pauseRequested, m_scripting.get(),
            &ScriptingService::Pause);
    openFirstWindows(switches);
    endLaunchFeedback();
    return std::nullopt;
}

void AppDelegate::endLaunchFeedback() {
    // An X11 launch shows a busy pointer until a window appears; Tisko may start with none.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || startedWith().isEmpty())
        return;
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (std::none_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }))
        X11Display::shared().endStartup(startedWith());
}

bool AppDelegate::makeSharedModelCopy(const QString& folder, QString* error) {
    return LandmarkModelCache::makeShared(FaceModel::defaultPath(), folder, error);
}

bool AppDelegate::runDiagnostic(const LaunchSwitches& switches) {
    // The diagnostics only read the positions: they run beside a running Tisko and write
    // none of its files (the landmark model's flat copy is made, but not logged).
    switch (switches.kind) {
    case LaunchSwitches::Kind::look: {
        FaceModel::setLogsCopies(false);
        const CalibrationBook book =
            Storage::peek<CalibrationBook>(Storage::positionsFileName).value_or(CalibrationBook{});
        DebugTools::look(book.active(), switches.path, &CheckLog::describe, quitDiagnostic);
        return true;
    }
    case LaunchSwitches::Kind::hold:
        DebugTools::hold(switches.seconds, switches.path, switches.width, quitDiagnostic);
        return true;
    case LaunchSwitches::Kind::renderWindows:
        m_monitor = std::make_unique<Monitor>(MonitorServices::forThisDesktop());
        m_monitor->load();
        DebugTools::renderWindows(*m_monitor, switches.path, quitApplication);
        return true;
    default:
        return false;
    }
}

int AppDelegate::handOver(const LaunchSwitches& switches) {
    // A login that finds Tisko running already has nothing to ask of it.
    if (switches.autostart && switches.kind == LaunchSwitches::Kind::none)
        return 0;
    const auto handedOver = [&] {
        switch (switches.kind) {
        case LaunchSwitches::Kind::showSettings:
            return m_instance->forwardSettings(switches.tab.value_or(QString()));
        case LaunchSwitches::Kind::check:
            return m_instance->forward(SingleInstance::Request::check);
        case LaunchSwitches::Kind::resume:
            return m_instance->forward(SingleInstance::Request::resume);
        case LaunchSwitches::Kind::pause:
            return switches.pauseMinutes
                       ? m_instance->forwardPause(*switches.pauseMinutes)
                       : m_instance->forward(SingleInstance::Request::pauseUntilTomorrow);
        default:
            return m_instance->forward(SingleInstance::Request::show);
        }
    };
    if (handedOver())
        return 0;
    Log::error(QStringLiteral("Tisko ya está en marcha y no responde"));
    Log::flush();
    return 1;
}

void AppDelegate::openFirstWindows(const LaunchSwitches& switches) {
    switch (switches.kind) {
    case LaunchSwitches::Kind::showSettings:
        if (switches.tab) {
            if (const std::optional<SettingsTab> tab = settingsTabFromRaw(*switches.tab))
                m_settingsTabs.setTab(*tab);
        }
        showSettings();
        return;
    case LaunchSwitches::Kind::check:
        m_scripting->CheckNow();
        QTimer::singleShot(checkRunMs, this, quitApplication);
        return;
    case LaunchSwitches::Kind::pause:
        // With no Tisko running, this one starts as from the menu, paused.
        if (switches.pauseMinutes)
            m_scripting->Pause(*switches.pauseMinutes);
        else
            m_scripting->PauseUntilTomorrow();
        break;
    case LaunchSwitches::Kind::resume:
        m_scripting->Resume();
        break;
    default:
        break;
    }
    // The first launch, with no position yet, opens the recording window by itself.
    if (m_monitor->book().calibrations.empty())
        showCalibration();
    // Opened from the application menu where no icon will show, Tisko opens as a window;
    // started at login it stays out of the way, and says once per login that it runs (unless
    // the user switched the icon off).
    if (!SettingsStore::showsMenuBarIcon()) {
        if (!switches.autostart)
            showPanelWindowAfterRecording();
    } else if (switches.autostart) {
        whenNoTray([] { LoginNotice::forStateFolder().postOnce(); });
    } else {
        whenNoTray([this] { showPanelWindowAfterRecording(); });
    }
}

void AppDelegate::whenNoTray(std::function<void()> then) {
    if (m_label->hostDecided()) {
        if (!m_label->hasHost())
            then();
        return;
    }
    connect(m_label.get(), &MenuBarLabel::hostDecidedChanged, this,
            [then = std::move(then)](bool found) {
                if (!found)
                    then();
            });
}

void AppDelegate::showPanelWindowAfterRecording() {
    // The recording window keeps the keyboard: the window comes once it has closed.
    if (m_calibrationWindow)
        connect(m_calibrationWindow, &QObject::destroyed, this, &AppDelegate::showPanelWindow,
                Qt::QueuedConnection);
    else
        showPanelWindow();
}

void AppDelegate::startMonitor() {
    Log::info(QStringLiteral("Tisko arranca · ") + QStringLiteral(TISKO_VERSION));
    m_notifications = std::make_unique<NotificationRouter>();
    Notifier::requestPermission([this](bool) {
        QMetaObject::invokeMethod(
            this, [] { NotificationPermission::refresh(); }, Qt::QueuedConnection);
    });
    m_monitor = std::make_unique<Monitor>(MonitorServices::forThisDesktop());
    m_monitor->start();
    // The service coming or going, or its "do not disturb" changing, is read again at once.
    connect(&NotificationCenter::current(), &NotificationCenter::reachMayHaveChanged, this,
            [] { NotificationPermission::refresh(); });
    connect(&NotificationStatus::shared(), &NotificationStatus::reachChanged, this,
            [](NotificationReach reach) { Log::info(NotificationStatus::logLine(reach)); });
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    NotificationPermission::refresh();
            });
    LoginItem::enableOnFirstRun();

    // Touching the updater starts its schedule; a click on its notice asks it to check.
    Updater& updater = Updater::shared();
    m_notifications->setUpdateCheck([] { Updater::shared().checkForUpdates(); });
    m_notifications->setWindowOpener([this] { showPanelWindow(); });
    connect(&updater, &Updater::windowRequested, this, &AppDelegate::showUpdate);
}

template <class Source> void AppDelegate::wireCommonActions(Source* source) {
    connect(source, &Source::settingsRequested, this, &AppDelegate::showSettings);
    connect(source, &Source::updateCheckRequested, &Updater::shared(), &Updater::checkForUpdates);
    connect(source, &Source::quitRequested, this, quitApplication);
}

void AppDelegate::wirePanel(MenuBarPanel* panel) {
    wireCommonActions(panel);
    connect(panel, &MenuBarPanel::newPositionRequested, this, [this] { showCalibration(); });
    connect(panel, &MenuBarPanel::resaveRequested, this,
            [this](const QString& name) { showCalibration(name); });
    connect(panel, &MenuBarPanel::notificationSettingsRequested, this,
            [] { openPrivacySettings(PrivacyPane::notifications); });
    // The update row comes and goes with the offer (at once when shown, else when next shown).
    connect(&Updater::shared(), &Updater::availableVersionChanged, panel, &MenuBarPanel::rebuild);
}

void AppDelegate::startInterface() {
    m_appearance = std::make_unique<Appearance>();
    m_appearance->follow();
    QApplication::setWindowIcon(Appearance::appIcon());

    m_panel = std::make_unique<MenuBarPanel>(*m_monitor, availableVersion);
    wirePanel(m_panel.get());
    connect(m_panel.get(), &MenuBarPanel::closed, this, [this] { m_panelClosed.start(); });

    m_label = std::make_unique<MenuBarLabel>(*m_monitor);
    wireCommonActions(m_label.get());
    connect(m_label.get(), &MenuBarLabel::panelRequested, this, &AppDelegate::openPanel);
    connect(m_label.get(), &MenuBarLabel::historyRequested, this, &AppDelegate::showHistory);
    connect(m_appearance.get(), &Appearance::schemeChanged, m_label.get(), &MenuBarLabel::refresh);
    bool waited = false;
    const int waitMs = qEnvironmentVariableIntValue("TISKO_TRAY_WAIT_MS", &waited);
    m_label->start(std::chrono::milliseconds(waited ? std::max(waitMs, 0) : 5000));
}

void AppDelegate::startScripting() {
    // A script or a shortcut carries no permission to take the focus: the window asks for
    // attention instead.
    const auto unasked = [this](std::function<void()> show) {
        return [this, show = std::move(show)] {
            m_activation.expect({});
            show();
        };
    };
    ScriptingService::Windows windows;
    windows.panel = unasked([this] { showPanelWindow(); });
    windows.settings =
        [this, show = unasked([this] { showSettings(); })](std::optional<SettingsTab> tab) {
            if (tab)
                m_settingsTabs.setTab(*tab);
            show();
        };
    windows.history = unasked([this] { showHistory(); });
    windows.newPosition = unasked([this] { showCalibration(); });
    m_scripting = std::make_unique<ScriptingService>(*m_monitor, std::move(windows));
    m_scripting->publish();
}

void AppDelegate::openPanel(QRect iconGeometry) {
    // Wayland lets no client place a popup at the icon: the panel opens as a window there.
    if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))) {
        showPanelWindow();
        return;
    }
    // A click on the icon while the panel is open first closes the panel (a click outside a
    // popup) and then reaches the icon: that click closes, it does not open again.
    if (m_panel->isVisible())
        m_panel->close();
    else if (!m_panelClosed.isValid() || m_panelClosed.elapsed() > 300)
        m_panel->popUp(iconGeometry);
}

void AppDelegate::showPanelWindow() {
    if (m_panelWindow) {
        bringForward(m_panelWindow);
        return;
    }
    auto* window = new MenuBarPanel(*m_monitor, availableVersion, false);
    wirePanel(window);
    window->setWindowTitle(QStringLiteral("Tisko"));
    m_panelWindow = window;
    centre(window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    QTimer::singleShot(0, window, [this, window] {
        bringForward(window);
        window->focusFirst();
    });
}

void AppDelegate::showSettings() {
    if (m_settingsWindow) {
        bringForward(m_settingsWindow);
        return;
    }
    auto* window = new SettingsWindow(*m_monitor, m_platform.services(), m_settingsTabs);
    connect(window, &SettingsWindow::newPositionRequested, this, [this] { showCalibration(); });
    connect(window, &SettingsWindow::historyRequested, this, &AppDelegate::showHistory);
    m_settingsWindow = window;
    centre(window);
    watchWindow(window);
}

void AppDelegate::showHistory() {
    if (m_historyWindow) {
        bringForward(m_historyWindow);
        return;
    }
    auto* window = new HistoryWindow(*m_monitor);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_historyWindow = window;
    centre(window);
    window->show();
    // Raised on the next turn, once the window manager knows it.
    QTimer::singleShot(0, window, [this, window] { bringForward(window); });
}

void AppDelegate::showCalibration(const std::optional<QString>& name) {
    if (m_calibrationWindow) {
        bringForward(m_calibrationWindow);
        return;
    }
    auto* model = new CalibrationModel(*m_monitor, name);
    auto* view = new CalibrationView(*model, false);
    connect(model, &CalibrationModel::finished, view, &QWidget::close);
    connect(view, &CalibrationView::cancelled, view, &QWidget::close);
    view->setWindowTitle(tr("Nueva posición"));
    // The view looks at its model to the end; the model goes after it.
    connect(view, &QObject::destroyed, model, &QObject::deleteLater);
    m_calibrationModel = model;
    m_calibrationWindow = view;
    centre(view);
    watchWindow(view);
}

// Places a new window in the middle of the screen the pointer is on.
void AppDelegate::centre(QWidget* window) {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(), window->size());
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

UpdateWindow* AppDelegate::updateWindow() const {
    return qobject_cast<UpdateWindow*>(m_updateWindow.data());
}

void AppDelegate::showUpdate(const UpdateOutcome& outcome) {
    UpdateWindow* window = updateWindow();
    if (!window) {
        window = new UpdateWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        // Closing the window, whichever way, ends the update session.
        connect(window, &UpdateWindow::closed, &Updater::shared(), &Updater::finishSession);
        m_updateWindow = window;
    }
    window->setPrompt(UpdatePrompt::forOutcome(outcome, QStringLiteral(TISKO_VERSION)));
    bringForward(window);
    Updater::shared().windowShown();
}

void AppDelegate::watchWindow(QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->installEventFilter(this);
    m_showsWindows = true;
    window->show();
    // Raised on the next turn, once the window manager knows it.
    QTimer::singleShot(0, window, [this, window] { bringForward(window); });
}

void AppDelegate::bringForward(QWidget* window) {
    m_activation.bringForward(window);
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close &&
        (watched == m_settingsWindow || watched == m_calibrationWindow))
        windowWillClose(watched);
    return QObject::eventFilter(watched, event);
}

void AppDelegate::windowWillClose(QObject* window) {
    if (window == m_settingsWindow)
        m_settingsWindow = nullptr;
    if (window == m_calibrationWindow) {
        if (m_calibrationModel)
            m_calibrationModel->stopCamera();
        m_calibrationModel = nullptr;
        m_calibrationWindow = nullptr;
    }
    QPointer<AppDelegate> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self && !self->m_settingsWindow && !self->m_calibrationWindow)
            self->m_showsWindows = false;
    });
}

void AppDelegate::handleRequest(SingleInstance::Request request) {
    switch (request) {
    case SingleInstance::Request::check:
        m_scripting->CheckNow();
        break;
    case SingleInstance::Request::resume:
        m_scripting->Resume();
        break;
    case SingleInstance::Request::pauseUntilTomorrow:
        m_scripting->PauseUntilTomorrow();
        break;
    case SingleInstance::Request::show:
        // Opening Tisko again from the application menu is how a user reaches it: the
        // settings beside a tray icon, the panel's content as a window where no icon shows.
        Log::info(QStringLiteral("Tisko ya estaba en marcha: otra apertura pide mostrarlo"));
        if (m_label->isShown() && m_label->hasHost())
            showSettings();
        else
            showPanelWindow();
        break;
    }
}

void AppDelegate::handleSettingsRequest(const QString& tab) {
    Log::info(QStringLiteral("Tisko ya estaba en marcha: otra apertura pide sus ajustes"));
    // No page named: the one the user left; a page nobody knows: the first.
    if (!tab.isEmpty())
        m_settingsTabs.setTab(settingsTabFromRaw(tab).value_or(SettingsTab::general));
    showSettings();
}

void AppDelegate::quitOnTerminationSignals() {
    TerminationSignals::install(this, [](int signal) {
        Log::info(QStringLiteral("Tisko termina: ha recibido ") + TerminationSignals::name(signal));
        QCoreApplication::quit();
    });
}

void AppDelegate::quitWithTheSession() {
    // The bus tells its clients it is gone with a signal of its own, from no sender.
    QDBusConnection::sessionBus().connect(QString(),                                     // service
                                          QStringLiteral("/org/freedesktop/DBus/Local"), // path
                                          QStringLiteral("org.freedesktop.DBus.Local"), // interface
                                          QStringLiteral("Disconnected"), this,
                                          SLOT(sessionBusClosed()));
    // Qt ends the process itself when the display goes, with this warning first; Tisko ends it
    // instead, once it has let go of its socket and camera: the exit Qt calls would run static
    // destructors that talk to the X server again (and Xlib's answer is another exit).
    runningDelegate = this;
    QtMessages::setWatcher([](const QString& message) {
        if (!message.startsWith(QLatin1String("The X11 connection broke")) &&
            !message.startsWith(QLatin1String("The Wayland connection")))
            return;
        static std::atomic<bool> ending{false};
        if (ending.exchange(true))
            return;
        Log::error(QStringLiteral("Tisko termina: se ha perdido la conexión con la pantalla (") +
                   message + u')');
        if (runningDelegate && QThread::currentThread() == runningDelegate->thread())
            runningDelegate->m_instance.reset();
        CameraSession::stopAll(std::chrono::seconds(2));
        Log::flush();
        std::_Exit(1);
    });
}

void AppDelegate::sessionBusClosed() {
    Log::info(QStringLiteral("Tisko termina: el bus de sesión se ha cerrado (la sesión acaba)"));
    QCoreApplication::quit();
}

} // namespace tisko
