// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>

namespace tisko {

// A timer that calls its action again and again on the main thread until stopped or
// destroyed.
class RepeatingTimer {
public:
    // The longest period a timer keeps, in seconds (int milliseconds, about 24.8 days);
    // longer ones are cut to it.
    static constexpr double longestInterval = 2147483647 / 1000.0;

    virtual ~RepeatingTimer() = default;
    // (Re)starts the period: the first call comes `intervalSeconds` from now. The system may
    // move each call by up to `toleranceSeconds` to group wake-ups.
    virtual void start(double intervalSeconds, double toleranceSeconds,
                       std::function<void()> action) = 0;
    // No further calls.
    virtual void stop() = 0;
};

} // namespace tisko
