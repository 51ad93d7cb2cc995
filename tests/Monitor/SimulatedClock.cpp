// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SimulatedClock.h"

namespace tisko::test {

class SimulatedClock::Timer final : public RepeatingTimer {
public:
    explicit Timer(SimulatedClock& clock)
        : m_clock(&clock) {
        clock.m_timers.push_back(this);
    }
    ~Timer() override {
        if (m_clock)
            std::erase(m_clock->m_timers, this);
    }

    void start(double intervalSeconds, double, std::function<void()> action) override {
        m_interval = intervalSeconds;
        m_due = addSeconds(m_clock->m_now, intervalSeconds);
        m_action = std::move(action);
        m_running = true;
    }
    void stop() override {
        m_running = false;
        m_action = nullptr;
    }

    SimulatedClock* m_clock;
    bool m_running = false;
    double m_interval = 0;
    Date m_due{};
    std::function<void()> m_action;
};

SimulatedClock::SimulatedClock(Date start, long offsetSeconds)
    : m_now(start)
    , m_offset(offsetSeconds) {}

SimulatedClock::~SimulatedClock() {
    for (Timer* timer : m_timers)
        timer->m_clock = nullptr;
}

Calendar SimulatedClock::calendar() const {
    return fixedOffsetCalendar(m_offset);
}

Date SimulatedClock::startOfNextDay(Date date) const {
    using namespace std::chrono;
    const auto local = date + seconds(m_offset);
    const auto nextLocalMidnight = floor<days>(local) + days(1);
    return Date(nextLocalMidnight - seconds(m_offset));
}

std::unique_ptr<RepeatingTimer> SimulatedClock::createTimer() {
    return std::make_unique<Timer>(*this);
}

void SimulatedClock::advance(double seconds) {
    const Date target = addSeconds(m_now, seconds);
    while (true) {
        Timer* next = nullptr;
        for (Timer* timer : m_timers) {
            if (timer->m_running && timer->m_due <= target && (!next || timer->m_due < next->m_due))
                next = timer;
        }
        if (!next)
            break;
        m_now = next->m_due;
        next->m_due = addSeconds(next->m_due, next->m_interval);
        // The action may stop, replace or destroy this very timer: call a copy.
        std::function<void()> action = next->m_action;
        if (action)
            action();
    }
    m_now = target;
}

} // namespace tisko::test
