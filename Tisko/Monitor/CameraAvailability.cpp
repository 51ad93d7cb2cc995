// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/CameraAvailability.h"

#include "Tisko/Camera/Cameras.h"
#include "Tisko/System/Permissions.h"

namespace tisko {

namespace {

// The cameras Cameras finds. The permission is the one the settings show: a capture node
// this user may not open for reading and writing is denied.
class SystemCameraAvailability final : public CameraAvailability {
public:
    bool permissionDenied() override {
        return CameraPermission::state() == PermissionState::denied;
    }

    bool hasCamera() override { return Cameras::device(std::nullopt).has_value(); }
};

} // namespace

std::unique_ptr<CameraAvailability> CameraAvailability::create() {
    return std::make_unique<SystemCameraAvailability>();
}

} // namespace tisko
