// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/SystemClock.h"

#include <QDateTime>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace tisko {

namespace {

qint64 millisecondsOf(Date date) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count();
}

Date dateOf(qint64 milliseconds) {
    return Date(
        std::chrono::duration_cast<Date::duration>(std::chrono::milliseconds(milliseconds)));
}

// A QTimer in coarse mode: Qt lets it fire up to 5 % of the period late, which for the
// clock's periods of 30 s and more is the ten seconds of slack we want at most.
class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer() {
        m_timer.setTimerType(Qt::CoarseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_action)
                m_action();
        });
    }

    void start(double intervalSeconds, double toleranceSeconds,
               std::function<void()> action) override {
        // A coarse timer may be late by 5 % of its period; for long periods that is more than
        // the tolerance, so those run precise.
        m_timer.setTimerType(intervalSeconds * 0.05 <= toleranceSeconds ? Qt::CoarseTimer
                                                                        : Qt::PreciseTimer);
        m_action = std::move(action);
        // QTimer counts in int milliseconds; a period that is not a number takes the longest.
        const double seconds = std::isnan(intervalSeconds) ? longestInterval : intervalSeconds;
        const double ms = std::clamp(seconds * 1000.0, 1.0, longestInterval * 1000.0);
        m_timer.start(static_cast<int>(ms));
    }

    void stop() override {
        m_timer.stop();
        m_action = nullptr;
    }

private:
    QTimer m_timer;
    std::function<void()> m_action;
};

} // namespace

Date SystemClock::now() const {
    return std::chrono::system_clock::now();
}

Calendar SystemClock::calendar() const {
    return localCalendar();
}

Calendar SystemClock::localCalendar() {
    return [](Date date) {
        const QDate day =
            QDateTime::fromMSecsSinceEpoch(millisecondsOf(date), Qt::LocalTime).date();
        if (!day.isValid())
            return DateComponents{};
        return DateComponents{day.year(), day.month(), day.day()};
    };
}

Date SystemClock::startOfNextDay(Date date) const {
    const QDate day = QDateTime::fromMSecsSinceEpoch(millisecondsOf(date), Qt::LocalTime).date();
    const QDateTime next = day.addDays(1).startOfDay(Qt::LocalTime);
    if (!next.isValid())
        return date;
    return dateOf(next.toMSecsSinceEpoch());
}

std::unique_ptr<RepeatingTimer> SystemClock::createTimer() {
    return std::make_unique<QtRepeatingTimer>();
}

} // namespace tisko
