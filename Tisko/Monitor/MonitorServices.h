// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Monitor/CameraAvailability.h"
#include "Tisko/Monitor/Clock.h"
#include "Tisko/Monitor/MonitorStore.h"
#include "Tisko/Monitor/MotionSource.h"
#include "Tisko/Monitor/SessionEvents.h"
#include "Tisko/Camera/LookResult.h"
#include "Tisko/System/Presence.h"
#include "Tisko/System/ScreenState.h"
#include "TiskoCore/PostureVerdict.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tisko {

// Everything the Monitor asks the machine, in one place so that tests hand it fakes.
struct MonitorServices {
    // One look through the camera: camera id (absent for the default camera), frames,
    // timeout in seconds, and the completion, called once, later, on the main thread.
    using Look = std::function<void(const std::optional<QString>& cameraID, int frames,
                                    double timeout, std::function<void(const LookResult&)>)>;

    std::unique_ptr<Clock> clock;
    // The settings it watches by, the pause, and the files of positions and counters.
    std::unique_ptr<MonitorStore> store;
    Look look;
    std::unique_ptr<CameraAvailability> cameras;
    std::unique_ptr<ScreenState> screen;
    std::unique_ptr<Presence> presence;
    std::unique_ptr<MotionSource> motion;
    std::unique_ptr<SessionEvents> events;
    // The key of the displays connected now.
    std::function<QString()> displayKey;
    // Shows the warning for a bad verdict; the completion, called once and later, hears
    // whether it was shown.
    std::function<void(const PostureVerdict&, std::function<void(bool delivered)>)> notify;

    // The real machine: system clock, the user's settings and data files, CameraLook::take, the
    // desktop's probes, the head tracker and the desktop's notifications. Needs the
    // QGuiApplication.
    static MonitorServices forThisDesktop();
};

} // namespace tisko
