// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <optional>

namespace tisko {

// The questions the clock tick asks to tell whether somebody is in front of the machine.
class Presence {
public:
    virtual ~Presence() = default;
    // Seconds since the last keyboard or pointer input of the session; absent when no
    // source can tell.
    virtual std::optional<double> secondsSinceLastInput() = 0;
    // True when the main display is asleep; false when it is awake or nobody can tell.
    virtual bool mainDisplayAsleep() = 0;
    // True when the companion application's last keep-awake nudge is less than 30 seconds
    // old, or lies at most a minute in the future.
    virtual bool companionKeepingAwake() = 0;

    // The desktop's implementation: the process's buses, X server and /sys.
    static std::unique_ptr<Presence> create();
};

} // namespace tisko
