// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace tisko {

// What the user has allowed Tisko to use: one uniform view of the camera, head-motion and
// notification permissions.
enum class PermissionState { granted, denied, notAsked, unknown };

// The state's fixed text: "concedido", "denegado", "sin preguntar" or "desconocido".
QString rawValue(PermissionState state);

} // namespace tisko
