// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Monitor/MonitorStore.h"

namespace tisko {

// The user's own settings file and data folder.
class SavedMonitorStore final : public MonitorStore {
public:
    double interval() const override;
    double cooldown() const override;
    Thresholds thresholds() const override;
    bool watchCloseness() const override;
    bool watchSlouch() const override;
    bool useAirPods() const override;
    bool autoSelectByDisplays() const override;
    std::optional<Date> pausedUntil() const override;
    void setPausedUntil(std::optional<Date> until) override;
    bool referenceHintDismissed(const Uuid& id, Date now) const override;
    void setReferenceHintDismissed(const Uuid& id, Date until) override;
    CalibrationBook loadBook() const override;
    DailyTally loadTally() const override;
    void saveBook(const CalibrationBook& book) override;
    void saveTally(const DailyTally& tally) override;
};

} // namespace tisko
