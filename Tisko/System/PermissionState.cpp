// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/PermissionState.h"

namespace tisko {

QString rawValue(PermissionState state) {
    switch (state) {
    case PermissionState::granted:
        return QStringLiteral("concedido");
    case PermissionState::denied:
        return QStringLiteral("denegado");
    case PermissionState::notAsked:
        return QStringLiteral("sin preguntar");
    case PermissionState::unknown:
        break;
    }
    return QStringLiteral("desconocido");
}

} // namespace tisko
