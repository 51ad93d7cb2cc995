// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Monitor/Clock.h"

#include <memory>
#include <vector>

namespace tisko::test {

// A clock that moves only when told to. Its timers fire, in order of their due dates, while
// advance() walks the time forward, so a test can step through hours of ticks at once.
class SimulatedClock final : public Clock {
public:
    // Starts at `start`; days are named in a zone `offsetSeconds` ahead of UTC.
    explicit SimulatedClock(Date start, long offsetSeconds = 0);
    ~SimulatedClock() override;

    Date now() const override { return m_now; }
    Calendar calendar() const override;
    Date startOfNextDay(Date date) const override;
    std::unique_ptr<RepeatingTimer> createTimer() override;

    // Moves the time forward by `seconds`, firing every timer that falls due on the way.
    void advance(double seconds);
    // Sets the time without firing anything (a clock set back or forward by hand).
    void set(Date date) { m_now = date; }

private:
    class Timer;
    friend class Timer;

    Date m_now;
    long m_offset;
    std::vector<Timer*> m_timers;
};

} // namespace tisko::test
