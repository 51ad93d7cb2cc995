// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/CalibrationBook.h"
#include "TiskoCore/DailyTally.h"
#include "TiskoCore/Date.h"
#include "TiskoCore/Thresholds.h"
#include "TiskoCore/Uuid.h"

#include <optional>

namespace tisko {

// What the Monitor reads and keeps between runs: the settings it watches by, the pause, the
// dismissed hints, the positions and the day counters.
class MonitorStore {
public:
    virtual ~MonitorStore() = default;

    // Seconds between two looks of the clock.
    virtual double interval() const = 0;
    // Seconds between two warnings at the start of a streak.
    virtual double cooldown() const = 0;
    virtual Thresholds thresholds() const = 0;
    virtual bool watchCloseness() const = 0;
    virtual bool watchSlouch() const = 0;
    virtual bool useAirPods() const = 0;
    virtual bool autoSelectByDisplays() const = 0;

    virtual std::optional<Date> pausedUntil() const = 0;
    virtual void setPausedUntil(std::optional<Date> until) = 0;
    // Whether the hint for position `id` was dismissed until after `now`.
    virtual bool referenceHintDismissed(const Uuid& id, Date now) const = 0;
    virtual void setReferenceHintDismissed(const Uuid& id, Date until) = 0;

    // The saved positions and counters; empty ones when missing or unreadable.
    virtual CalibrationBook loadBook() const = 0;
    virtual DailyTally loadTally() const = 0;
    virtual void saveBook(const CalibrationBook& book) = 0;
    virtual void saveTally(const DailyTally& tally) = 0;
};

} // namespace tisko
