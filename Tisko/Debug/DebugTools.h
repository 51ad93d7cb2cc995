// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraDevice.h"
#include "Tisko/Camera/LookResult.h"
#include "TiskoCore/Calibration.h"
#include "TiskoCore/PostureVerdict.h"
#include "TiskoCore/Thresholds.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tisko {

class Monitor;
class V4l2System;

// Diagnostic runs started from the command line instead of the normal launch: one look, or
// the camera held open, written as plain text lines, or pictures of the windows. They change
// no data file and log nothing; each calls `done` when it is over, with whether its output
// was written (the reason for a failed write goes to standard error), and the caller ends
// the process.
class DebugTools {
public:
    DebugTools() = delete;

    // The short text of a verdict, as the Monitor describes it.
    using Describe = std::function<QString(const PostureVerdict&)>;

    // One look through the camera of `active` (the default camera without one), as the check
    // cycle takes it, written to `output`.
    static void look(const std::optional<Calibration>& active, const QString& output,
                     Describe describe, std::function<void(bool written)> done);
    // Holds the default camera open for `seconds`, writing one line per second to `output`;
    // `width` forces the first format of that width. Without a camera: "no camera".
    static void hold(double seconds, const QString& output, std::optional<int> width,
                     std::function<void(bool written)> done);

    // Pictures of the windows for `monitor`, in light and dark, written as PNG files into
    // `folder` (created when missing): the panel, each settings page, the panel with the
    // hint, the recording window with the camera off, the history of a sample month, and the
    // tray icon in each of its states.
    // Needs a QApplication; meant for QT_QPA_PLATFORM=offscreen.
    static void renderWindows(Monitor& monitor, const QString& folder, std::function<void()> done);
    // The names of the pictures renderWindows writes, in order.
    static QStringList pictureNames();

    // The lines of a look: failed, camera, shared, format, frames, then the measurement and
    // the verdict against `active` (both checks on) when there is a face.
    static QStringList lookLines(const LookResult& result, const std::optional<Calibration>& active,
                                 const Thresholds& thresholds, const Describe& describe);
    // "start ok=… shared=… format=…".
    static QString holdStartLine(bool ok, bool shared, const QString& format);
    // "t=… frames=… analysed=… faces=… format=… running=…".
    static QString holdTickLine(int t, int frames, int analysed, int faces, const QString& format,
                                bool running);
    // The size `device` is set to now ("1280x720"), which another program may have changed
    // since the session chose `atStart`: asked of a capture node through `system`; a sample
    // camera, or a node that does not answer, gives `atStart`.
    static QString currentFormat(const CameraDevice& device, const QString& atStart,
                                 V4l2System& system);
    // Replaces `path` atomically with the lines, each ended by a line feed; what is not a
    // regular file (a terminal, /dev/full) is written in place. The reason on failure.
    static std::optional<QString> writeLines(const QString& path, const QStringList& lines);
};

} // namespace tisko
