#include "Tisko/App/AppDelegate.h"

#include "Tisko/Debug/DebugTools.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/Storage.h"
#include "Tisko/System/NotificationPermission.h"
#include "Tisko/System/NotificationRouter.h"
#include "Tisko/System/Notifier.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tisko {

namespace {

constexpr int checkRunMs = 5000;

// SIGTERM and SIGINT are written to this pair and read on the main thread.
int signalPipe[2] = {-1, -1};

void forwardSignal(int signal) {
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

// Ends the event loop, also when called before the loop has started.
void quitApplication() {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

} // namespace

AppDelegate::AppDelegate(QStringList arguments, QObject* parent)
    : QObject(parent)
    , m_arguments(std::move(arguments)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::prepareEnvironment() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

std::optional<int> AppDelegate::launch() {
    const LaunchSwitches switches = LaunchSwitches::scan(m_arguments);

    // The diagnostics only read the positions: they run beside a running Tisko and write
    // none of its files.
    if (switches.kind == LaunchSwitches::Kind::look) {
        const CalibrationBook book =
            Storage::load<CalibrationBook>(Storage::positionsFileName).value_or(CalibrationBook{});
        DebugTools::look(book.active(), switches.path, &Monitor::describe, quitApplication);
        return std::nullopt;
    }
    if (switches.kind == LaunchSwitches::Kind::hold) {
        DebugTools::hold(switches.seconds, switches.path, switches.width, quitApplication);
        return std::nullopt;
    }

    m_instance = SingleInstance::forDataFolder();
    if (!m_instance->claim()) {
        const SingleInstance::Request request = switches.kind == LaunchSwitches::Kind::check
                                                    ? SingleInstance::Request::check
                                                    : SingleInstance::Request::show;
        if (m_instance->forward(request))
            return 0;
        Log::error(QStringLiteral("Tisko ya está en marcha y no responde"));
        Log::flush();
        return 1;
    }
    connect(m_instance.get(), &SingleInstance::requested, this, &AppDelegate::handleRequest);
    quitOnTerminationSignals();
    startMonitor();

    if (switches.kind == LaunchSwitches::Kind::check) {
        m_monitor->look(Monitor::Trigger::manual);
        QTimer::singleShot(checkRunMs, this, quitApplication);
    }
    return std::nullopt;
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
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    NotificationPermission::refresh();
            });
}

void AppDelegate::handleRequest(SingleInstance::Request request) {
    switch (request) {
    case SingleInstance::Request::check:
        m_monitor->look(Monitor::Trigger::manual);
        break;
    case SingleInstance::Request::show:
        Log::info(QStringLiteral("Tisko ya estaba en marcha: otra apertura pide mostrarlo"));
        break;
    }
}

void AppDelegate::quitOnTerminationSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    m_signals = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(m_signals, &QSocketNotifier::activated, this, [] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace tisko
