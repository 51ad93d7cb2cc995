// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraDevice.h"

namespace tisko {

// Whether a camera is already running in some process.
class CameraUsage {
public:
    CameraUsage() = delete;

    // For a capture node: some process under `procRoot` maps the node (streaming maps its
    // buffers; an open descriptor alone is not use, PipeWire keeps nodes open). For a
    // PipeWire node: its state is running. For a
    // sample camera: TISKO_CAMERA_SHARED when set ("1", "true", "yes"), else false.
    // Unreadable processes and files count as not using it.
    static bool isRunningSomewhere(const CameraDevice& camera,
                                   const QString& procRoot = QStringLiteral("/proc"));
};

} // namespace tisko
