// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraDevice.h"
#include "Tisko/System/PermissionState.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tisko {

// Whether Tisko may open the camera. Linux asks nobody: the capture node either lets this
// user read and write it or it does not (the remedy is the "video" group).
class CameraPermission {
public:
    CameraPermission() = delete;

    // The default camera's node, read now: granted when it opens for reading and writing,
    // denied when it exists but refuses this user, unknown without any camera. Sample
    // cameras are always granted.
    static PermissionState state();
    // The same for a given camera (none: unknown); a node listed as refusing this user is
    // denied.
    static PermissionState stateOf(const std::optional<CameraDevice>& camera);
    // The state of one node path (access(2) for reading and writing).
    static PermissionState stateOfNode(const QString& node);
    // There is no prompt: `done` gets whether access is granted, on the next turn of the
    // main thread.
    static void request(std::function<void(bool)> done);
};

// Whether the head tracker can reach Tisko: its UDP port on 127.0.0.1 can be bound, or is
// already bound by this process.
class MotionPermission {
public:
    MotionPermission() = delete;

    // Granted while the port is free or ours, denied while another program holds it.
    static PermissionState state(quint16 port = 4242);
    // Nothing to ask on Linux; the next state() read tells.
    static void request() {}
    // True when a socket of this process is bound to 127.0.0.1:`port` (from /proc/net/udp
    // and /proc/self/fd; the roots are parameters for tests).
    static bool heldByThisProcess(quint16 port,
                                  const QString& procNetUdp = QStringLiteral("/proc/net/udp"),
                                  const QString& fdFolder = QStringLiteral("/proc/self/fd"));
};

// The desktop's own settings panels.
class DesktopSettings {
public:
    DesktopSettings() = delete;

    // The command that opens the desktop's notification settings, for the desktops named in
    // `currentDesktop` (XDG_CURRENT_DESKTOP, colon-separated) whose program is installed;
    // empty when none is.
    static QStringList notificationsCommand(const QString& currentDesktop);
    // Starts that command detached; false when there is none or it does not start.
    static bool openNotifications();
};

} // namespace tisko
