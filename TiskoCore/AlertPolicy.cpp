// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AlertPolicy.h"

#include <algorithm>
#include <cmath>

namespace tisko {

double AlertPolicy::currentGap() const {
    if (streak < 2)
        return cooldown;
    return cooldown * std::min(maxMultiplier, std::pow(2.0, double(streak - 1)));
}

bool AlertPolicy::shouldAlert(const PostureVerdict& verdict, Date now) {
    if (lastAlert && *lastAlert > now)
        lastAlert = now;
    if (!verdict.isBad())
        return false;
    if (!lastAlert)
        return true;
    return secondsBetween(*lastAlert, now) >= currentGap();
}

void AlertPolicy::observe(const PostureVerdict& verdict) {
    if (verdict.kind() == PostureVerdict::Kind::fine)
        streak = 0;
}

void AlertPolicy::didAlert(Date date) {
    lastAlert = date;
    ++streak;
}

} // namespace tisko
