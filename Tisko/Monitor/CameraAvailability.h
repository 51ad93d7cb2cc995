// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>

namespace tisko {

// What the state of the Monitor needs to know about the cameras before any is opened.
class CameraAvailability {
public:
    virtual ~CameraAvailability() = default;
    // True when camera access is denied (the camera exists but may not be opened).
    virtual bool permissionDenied() = 0;
    // True when some camera can be chosen.
    virtual bool hasCamera() = 0;

    // The cameras of this machine (and the sample cameras of TISKO_CAMERAS).
    static std::unique_ptr<CameraAvailability> create();
};

} // namespace tisko
