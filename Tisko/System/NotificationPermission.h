// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/NotificationCenter.h"
#include "Tisko/System/NotificationStatus.h"
#include "Tisko/System/PermissionState.h"

namespace tisko {

// Reads whether Tisko may notify into NotificationStatus.
class NotificationPermission {
public:
    NotificationPermission() = delete;

    // Asks the centre for its status and whether a warning would be seen; when they answer,
    // writes the mapped state and the reach to `status` on the status's thread.
    static void refresh(NotificationCenter& center = NotificationCenter::current(),
                        NotificationStatus& status = NotificationStatus::shared());

    // The state of a notification status code: 0 notAsked, 1 denied, 2 and 3 (provisional)
    // granted, anything else unknown.
    static PermissionState stateFor(int status);
};

} // namespace tisko
