// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Thresholds.h"

namespace tisko {

Thresholds Thresholds::sensitivity(int level) {
    switch (level) {
    case 2:
        return {0.22, 0.65};
    case 3:
        return {0.15, 0.50};
    case 4:
        return {0.11, 0.40};
    default:
        return level <= 1 ? Thresholds{0.30, 0.80} : Thresholds{0.07, 0.30};
    }
}

} // namespace tisko
