#pragma once

#include "Tisko/System/Presence.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QString>

#include <chrono>
#include <functional>

namespace tisko {

class SysfsDrm;
class X11Display;

// Presence from the desktop's services, each answer from the first source that gives one:
//  input idle time: Mutter's IdleMonitor, X11 MIT-SCREEN-SAVER, the freedesktop
//    screensaver's GetSessionIdleTime, logind's IdleHint/IdleSinceHint; on a Wayland
//    session X11 comes last, as Xwayland only sees input to X11 windows;
//  display sleep: Mutter's PowerSaveMode, X11 DPMS, the DRM connectors' dpms state;
//  the companion's nudge: its settings file, key "keepAwakeLastNudge" (ISO 8601 date).
// The D-Bus questions of one answer share one time budget.
class LinuxPresence : public Presence {
public:
    // Where each source lives; tests replace any of them.
    struct Sources {
        QDBusConnection systemBus;
        QDBusConnection sessionBus;
        X11Display* x11 = nullptr;      // none when there is no X server
        const SysfsDrm* drm = nullptr;  // none to skip /sys
        QString companionSettingsPath;  // the companion's settings file
        std::function<QDateTime()> now; // the current time
        std::chrono::milliseconds budget = std::chrono::milliseconds(250);
        bool wayland = false; // a Wayland session: X11 is asked for idle time last
    };

    explicit LinuxPresence(Sources sources);
    ~LinuxPresence() override;

    // The companion's settings file in this user's configuration folder.
    static QString defaultCompanionSettingsPath();
    // True when this is a Wayland session: XDG_SESSION_TYPE says so, or WAYLAND_DISPLAY
    // names a compositor.
    static bool isWaylandSession();

    std::optional<double> secondsSinceLastInput() override;
    bool mainDisplayAsleep() override;
    bool companionKeepingAwake() override;

private:
    std::optional<double> x11IdleSeconds();

    Sources m_sources;
};

} // namespace tisko
