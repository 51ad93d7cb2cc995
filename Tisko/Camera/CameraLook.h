// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraSession.h"
#include "Tisko/Camera/LookResult.h"

#include <functional>
#include <memory>
#include <optional>

namespace tisko {

// The one-shot look of a check: open a session, gather a few analysed frames, close the
// camera and deliver one LookResult on the main thread.
class CameraLook {
public:
    CameraLook() = delete;

    // Looks through the camera for `cameraID` until `frames` frames are analysed or
    // `timeout` seconds after the session started; `completion` runs exactly once, on the
    // main thread, after take has returned (also when there is no camera).
    static void take(const std::optional<QString>& cameraID, int frames, double timeout,
                     std::function<void(const LookResult&)> completion);
    // The same look on a session made by the caller (null: there is no camera).
    static void take(std::shared_ptr<CameraSession> session, int frames, double timeout,
                     std::function<void(const LookResult&)> completion);

    // Settle time of a look, in seconds.
    static constexpr double settle = 0.35;
};

} // namespace tisko
