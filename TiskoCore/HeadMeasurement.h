// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <vector>

namespace tisko {

// The geometry of one face in one picture (or the median of several), in fractions of the
// picture with the origin at the lower-left corner and y growing upward.
struct HeadMeasurement {
    double faceWidth = 0;              // box width over the picture's width
    std::optional<double> eyeDistance; // pupil distance over the picture's width, if found
    double faceY = 0;                  // vertical middle of the box; lower when sinking
    double faceHeight = 0;             // box height over the picture's height

    bool operator==(const HeadMeasurement&) const = default;

    // Field-wise median of the frames of one look; absent for an empty list. The eye
    // distance is kept only when at least half of the samples have one.
    static std::optional<HeadMeasurement> median(const std::vector<HeadMeasurement>& samples);
};

} // namespace tisko
