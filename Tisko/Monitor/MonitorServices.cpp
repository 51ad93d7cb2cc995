// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/MonitorServices.h"

#include "Tisko/Monitor/SavedMonitorStore.h"
#include "Tisko/Monitor/SystemClock.h"
#include "Tisko/Camera/CameraLook.h"
#include "Tisko/System/DisplaySet.h"
#include "Tisko/System/Notifier.h"

namespace tisko {

MonitorServices MonitorServices::forThisDesktop() {
    MonitorServices services;
    services.clock = std::make_unique<SystemClock>();
    services.store = std::make_unique<SavedMonitorStore>();
    services.look = [](const std::optional<QString>& cameraID, int frames, double timeout,
                       std::function<void(const LookResult&)> completion) {
        CameraLook::take(cameraID, frames, timeout, std::move(completion));
    };
    services.cameras = CameraAvailability::create();
    services.screen = ScreenState::create();
    services.presence = Presence::create();
    services.motion = MotionSource::create();
    services.events = SessionEvents::create();
    services.displayKey = [] { return DisplaySet::currentKey(); };
    services.notify = [](const PostureVerdict& verdict, std::function<void(bool)> delivered) {
        Notifier::post(verdict, std::move(delivered));
    };
    return services;
}

} // namespace tisko
