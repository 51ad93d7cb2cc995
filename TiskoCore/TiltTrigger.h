// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/Date.h"

#include <optional>

namespace tisko {

// Turns head-pitch readings into occasional requests for an early look: fires when the head
// stayed tilted forward long enough, and not more often than a minimum gap.
class TiltTrigger {
public:
    // The forward tilt that counts, in radians (about 15°).
    static constexpr double defaultThreshold = 0.26;
    // How long the tilt must be held, in seconds.
    static constexpr double defaultHoldFor = 5;
    // The least time between two requests, in seconds.
    static constexpr double defaultMinimumGap = 60;

    TiltTrigger(double threshold = defaultThreshold, double holdFor = defaultHoldFor,
                double minimumGap = defaultMinimumGap)
        : m_threshold(threshold)
        , m_holdFor(holdFor)
        , m_minimumGap(minimumGap) {}

    double threshold() const { return m_threshold; }
    double holdFor() const { return m_holdFor; }
    double minimumGap() const { return m_minimumGap; }

    // Feeds one reading (pitch and reference in the same unit); true when a look should start.
    // A clock set back before the tilt's start or the last request counts both from `now`.
    bool update(double pitch, double reference, Date now);

    bool operator==(const TiltTrigger&) const = default;

private:
    double m_threshold;
    double m_holdFor;
    double m_minimumGap;
    std::optional<Date> m_tiltedSince;
    std::optional<Date> m_lastFire;
};

} // namespace tisko
