// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/Date.h"
#include "TiskoCore/PostureVerdict.h"

#include <cstdint>
#include <optional>

namespace tisko {

// Throttles warnings: a minimum gap between two alerts that doubles from the second alert
// of a run on, up to a cap, and falls back to the base once a check finds the user fine.
struct AlertPolicy {
    // The usual cap on the growth of the gap.
    static constexpr double defaultMaxMultiplier = 4;

    double cooldown = 600;                       // base gap, seconds
    double maxMultiplier = defaultMaxMultiplier; // cap on the growth of the gap
    std::optional<Date> lastAlert;               // when the last alert was given
    std::int64_t streak = 0;                     // alerts since the last fine verdict

    AlertPolicy() = default;
    AlertPolicy(double cooldownSeconds, double maxMultiplierValue, std::optional<Date> last)
        : cooldown(cooldownSeconds)
        , maxMultiplier(maxMultiplierValue)
        , lastAlert(last) {}

    bool operator==(const AlertPolicy&) const = default;

    // Seconds that must pass after lastAlert before the next alert.
    double currentGap() const;
    // Whether a bad verdict may be alerted now; fine and away never are. A clock set back
    // before the last alert counts the gap from `now` instead of waiting to catch up.
    bool shouldAlert(const PostureVerdict& verdict, Date now);
    // A fine verdict ends the run; nothing else changes the policy.
    void observe(const PostureVerdict& verdict);
    // Records an alert given at `date`.
    void didAlert(Date date);
};

} // namespace tisko
