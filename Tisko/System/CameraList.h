// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraDevice.h"

#include <vector>

namespace tisko {

// The cameras connected now, as the interface names them.
class CameraList {
public:
    virtual ~CameraList() = default;
    virtual std::vector<CameraDevice> cameras() const = 0;
};

} // namespace tisko
