// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/HeadMeasurement.h"

#include <QString>

#include <optional>

namespace tisko {

// The outcome of one look through the camera.
struct LookResult {
    std::optional<HeadMeasurement> measurement; // median of the frames that had a face
    int analysed = 0;                           // frames analysed, with or without a face
    int withFace = 0;                           // analysed frames that had a face
    QString cameraID;                           // empty when there was no camera
    bool sharedWithAnotherApp = false;          // another process had the camera running
    QString format;                             // "1280x720"; empty on failure
    bool failed = false;                        // no camera, or the session did not start
    bool cameraBusy = false; // failed because another application holds the camera

    bool operator==(const LookResult&) const = default;
};

} // namespace tisko
