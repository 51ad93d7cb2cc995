// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>

namespace tisko {

// Holds the clock's looks back while nobody is at the computer, and says when that begins
// and ends so that each is logged once.
class AbsenceGate {
public:
    // Seconds without keyboard or pointer input after which nobody is taken to be there.
    static constexpr double idleSecondsForAbsence = 180;

    // What the machine tells about presence at one tick.
    struct Signs {
        bool displayAsleep = false;
        std::optional<double> idleSeconds; // absent when nothing can tell
        bool companionKeepingAwake = false;
    };

    // What a tick changed, for the log.
    enum class Change { none, left, returned };

    // Whether the signs say nobody is there.
    static bool absent(const Signs& signs);
    // Feeds one clock tick's signs; `skipping()` then says whether the tick may look.
    Change update(const Signs& signs);

    bool skipping() const { return m_skipping; }

private:
    bool m_skipping = false;
};

} // namespace tisko
