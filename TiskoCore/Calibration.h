// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/Date.h"
#include "TiskoCore/HeadMeasurement.h"
#include "TiskoCore/Uuid.h"

#include <optional>
#include <string>

namespace tisko {

// A saved sitting position ("posición"): the reference measurement and the circumstances
// of its recording.
struct Calibration {
    Uuid id;          // kept when re-recorded under the same name
    std::string name; // as the user typed it (UTF-8)
    HeadMeasurement reference;
    std::optional<double> headPitch;       // radians, when the head tracker gave one
    std::string cameraID;                  // the camera that recorded it
    std::optional<std::string> displayKey; // the displays connected while recording
    Date createdAt;

    bool operator==(const Calibration&) const = default;
};

} // namespace tisko
