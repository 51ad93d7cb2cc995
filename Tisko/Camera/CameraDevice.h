// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace tisko {

// One camera Tisko can open: a V4L2 capture node, a camera node of PipeWire, or a sample
// camera that plays pictures from files (TISKO_CAMERAS) through the same session, look and
// analyzer.
struct CameraDevice {
    enum class Kind { V4l2, PipeWire, Sample };

    QString uniqueID; // stable: /dev/v4l/by-id name, else by-path, else the node; "file:" + path
    QString localizedName; // the driver's card name, or the file or folder name
    Kind kind = Kind::V4l2;
    bool builtIn = false; // a camera fixed in the computer (laptop lid)
    QString path; // the device node, the PipeWire node's name, or the picture file or folder
    bool accessDenied = false; // the node exists but refuses this user (not in "video")
    QString pipeWireNode = {}; // for a V4L2 node: the PipeWire node that serves it, if any

    bool operator==(const CameraDevice&) const = default;
};

} // namespace tisko
