// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>

namespace tisko {

// One notification handed to the desktop. A request whose identifier is already on screen
// replaces that notification instead of adding a second one.
struct NotificationRequest {
    // How strongly the desktop should interrupt (the freedesktop "urgency" hint).
    enum class Urgency : unsigned char { low = 0, normal = 1, critical = 2 };

    QString identifier;
    QString title;
    QString body;
    // Plays the desktop's message sound when true; asks for silence when false.
    bool sound = false;
    // The label of a button that does what a click on the notification does; none when empty.
    QString button;
    // Absent leaves the urgency to the desktop.
    std::optional<Urgency> urgency;

    bool operator==(const NotificationRequest&) const = default;
};

} // namespace tisko
