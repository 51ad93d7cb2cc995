// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace tisko {

// Opens Tisko at login through an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/<app id>.desktop, which starts the installed binary by its
// absolute path. Registration happens once by itself, on the first launch; afterwards only
// when the user changes it.
class LoginItem {
public:
    LoginItem() = delete;

    // True when the entry exists and neither hides itself (Hidden=true) nor is switched off
    // (X-GNOME-Autostart-enabled=false).
    static bool isEnabled();
    // Writes or removes the entry; a failure logs "Inicio de sesión: …".
    static void setEnabled(bool enabled);
    // On the first launch only: notes that it ran, then turns the entry on. A failed
    // registration is not tried again, and a user who turned it off stays off.
    static void enableOnFirstRun();

    // The entry's path.
    static QString entryPath();
    // The program the entry starts: this executable's absolute path.
    static QString program();
};

} // namespace tisko
