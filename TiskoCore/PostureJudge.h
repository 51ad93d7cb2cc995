// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/Calibration.h"
#include "TiskoCore/HeadMeasurement.h"
#include "TiskoCore/PostureVerdict.h"
#include "TiskoCore/Thresholds.h"

#include <optional>

namespace tisko::PostureJudge {

// Size ratio of the face against the reference: by eye distance when both have one and the
// reference's is positive, else by box width, else 1.
double closeness(const HeadMeasurement& current, const HeadMeasurement& reference);

// How far the face sank, in reference face heights (0 when the reference has no height).
double drop(const HeadMeasurement& current, const HeadMeasurement& reference);

// The verdict of a look against a position; values exactly at a threshold count as bad.
PostureVerdict judge(const std::optional<HeadMeasurement>& measurement,
                     const Calibration& calibration, const Thresholds& thresholds,
                     bool watchCloseness, bool watchSlouch);

} // namespace tisko::PostureJudge
