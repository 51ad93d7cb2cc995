#pragma once

#include "Tisko/App/LaunchSwitches.h"
#include "Tisko/App/Monitor.h"
#include "Tisko/App/SingleInstance.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

class QSocketNotifier;

namespace tisko {

class NotificationRouter;

// The life of the process: the launch sequence, the command-line switches, the one Monitor
// and the guard that keeps a second Tisko from writing the same data files.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(QStringList arguments, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Before the application object exists: without a display (no DISPLAY nor
    // WAYLAND_DISPLAY) Qt draws off screen, so Tisko runs headless.
    static void prepareEnvironment();

    // Runs the launch. Returns the exit status when the process should end at once (a later
    // launch that handed its request over), nothing when the event loop should run.
    std::optional<int> launch();

    // The one Monitor, once the launch made this process the running Tisko.
    Monitor* monitor() const { return m_monitor.get(); }

private:
    void startMonitor();
    void handleRequest(SingleInstance::Request request);
    void quitOnTerminationSignals();

    QStringList m_arguments;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<NotificationRouter> m_notifications;
    std::unique_ptr<Monitor> m_monitor;
    QSocketNotifier* m_signals = nullptr;
};

} // namespace tisko
