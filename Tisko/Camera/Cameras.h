// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraDevice.h"
#include "Tisko/Camera/PipeWireCameras.h"
#include "Tisko/Camera/V4l2System.h"

#include <optional>
#include <vector>

namespace tisko {

// The cameras Tisko can use and the choice among them for a stored identifier.
class Cameras {
public:
    Cameras() = delete;

    // V4L2 capture nodes in node order, then the camera nodes of PipeWire that are not one
    // of them, then the sample cameras of TISKO_CAMERAS.
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
    // Adds PipeWire's camera `nodes` to `cameras`: a node that serves a listed capture node
    // only marks it (a webcam appears once, under its V4L2 identifier); the others are
    // cameras of their own, named by the node's description. Links are under `devRoot`.
    static void addPipeWireNodes(std::vector<CameraDevice>& cameras,
                                 const std::vector<PipeWireNode>& nodes, const QString& devRoot);
    // The sample cameras of a colon-separated list of picture files and folders.
    static std::vector<CameraDevice> sampleCameras(const QString& list);
};

} // namespace tisko
