// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PostureJudge.h"

namespace tisko::PostureJudge {

double closeness(const HeadMeasurement& current, const HeadMeasurement& reference) {
    if (current.eyeDistance && reference.eyeDistance && *reference.eyeDistance > 0)
        return *current.eyeDistance / *reference.eyeDistance;
    if (reference.faceWidth > 0)
        return current.faceWidth / reference.faceWidth;
    return 1.0;
}

double drop(const HeadMeasurement& current, const HeadMeasurement& reference) {
    if (reference.faceHeight > 0)
        return (reference.faceY - current.faceY) / reference.faceHeight;
    return 0;
}

PostureVerdict judge(const std::optional<HeadMeasurement>& measurement,
                     const Calibration& calibration, const Thresholds& thresholds,
                     bool watchCloseness, bool watchSlouch) {
    if (!measurement)
        return PostureVerdict::away();
    const PostureVerdict::Figures figures{closeness(*measurement, calibration.reference),
                                          drop(*measurement, calibration.reference)};
    const bool close = figures.closeness >= 1 + thresholds.closeness;
    if (watchCloseness && close)
        return PostureVerdict::tooClose(figures.closeness).judgedOn(figures);
    // A face that is too close also looks lower; never call that slouching.
    if (watchSlouch && figures.drop >= thresholds.drop && !close)
        return PostureVerdict::slouching(figures.drop).judgedOn(figures);
    return PostureVerdict::fine().judgedOn(figures);
}

} // namespace tisko::PostureJudge
