// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QWidget;

namespace tisko {

// The permissions a user may have to grant by hand.
enum class PrivacyPane { camera, motion, notifications };

// Shows the user where to grant a permission. Notifications open the desktop's own panel
// (GNOME, KDE Plasma, XFCE, Cinnamon, MATE); where there is none, and for the camera and the
// head tracker, which no desktop panel governs, a short dialog says how (for the camera,
// when there is none, it first asks to connect one).
void openPrivacySettings(PrivacyPane pane, QWidget* parent = nullptr);

// The help text of a pane's dialog.
const char* privacyHelpText(PrivacyPane pane);
// The command that adds `user` to the "video" group: through sudo where the system has it,
// else through su.
QString videoGroupCommand(bool hasSudo, const QString& user);

} // namespace tisko
