// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraDevice.h"
#include "Tisko/Camera/V4l2System.h"

#include <optional>
#include <vector>

namespace tisko {

// The cameras Tisko can use and the choice among them for a stored identifier.
class Cameras {
public:
    Cameras() = delete;

    // V4L2 capture nodes in node order, then the sample cameras of TISKO_CAMERAS.
    static std::vector<CameraDevice> all();
    // The camera for `id`: that one when connected, else the built-in camera, else the
    // first; none when there is no camera at all.
    static std::optional<CameraDevice> device(const std::optional<QString>& id);

    // The choosing rule of device(), over a given list.
    static std::optional<CameraDevice> choose(const std::vector<CameraDevice>& cameras,
                                              const std::optional<QString>& id);
    // The capture nodes under `sysRoot` (/sys/class/video4linux) with their nodes and
    // stable links under `devRoot` (/dev), asking each node its capabilities. A capture
    // node that refuses this user is listed too, marked accessDenied.
    static std::vector<CameraDevice> captureNodes(V4l2System& system, const QString& sysRoot,
                                                  const QString& devRoot);
    // The sample cameras of a colon-separated list of picture files and folders.
    static std::vector<CameraDevice> sampleCameras(const QString& list);
};

} // namespace tisko
