// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace tisko {

// How much change is tolerated before a face counts as too close or slouching.
struct Thresholds {
    double closeness = 0; // tolerated growth: too close from a ratio of 1 + closeness
    double drop = 0;      // tolerated sinking, in reference face heights

    bool operator==(const Thresholds&) const = default;

    // The preset for a sensitivity level 1 ("Muy tolerante") to 5 ("Muy estricta");
    // levels outside clamp to the nearest end.
    static Thresholds sensitivity(int level);
};

} // namespace tisko
