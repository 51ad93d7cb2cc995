// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/Presence.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

namespace tisko {

class DBusQuery;
class SysfsDrm;
class WaylandIdle;
class X11Display;

// Presence from the desktop's services, each answer from the first source that gives one:
//  input idle time: on a Wayland session the compositor's idle notification, Mutter's
//    IdleMonitor, the freedesktop screensaver's GetSessionIdleTime, logind's
//    IdleHint/IdleSinceHint, and never the X server (Xwayland only sees input to X11
//    windows); on X11 Mutter's IdleMonitor, X11 MIT-SCREEN-SAVER, the screensaver, logind.
//    The screensaver is read in its owner's unit (KDE's answers in milliseconds). The first
//    use of each source is logged;
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
        bool wayland = false; // a Wayland session: X11 is never asked for idle time
        std::shared_ptr<WaylandIdle> compositor =
            nullptr; // the compositor's idle notification, if any
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
    std::optional<double> idleSeconds(QString& source);
    std::optional<double> screenSaverIdleSeconds(DBusQuery& session);

    Sources m_sources;
    QStringList m_reportedSources;
};

} // namespace tisko
