// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/SavedMonitorStore.h"

#include "Tisko/Support/SettingsStore.h"
#include "Tisko/Support/Storage.h"

namespace tisko {

double SavedMonitorStore::interval() const {
    return SettingsStore::interval();
}

double SavedMonitorStore::cooldown() const {
    return SettingsStore::cooldown();
}

Thresholds SavedMonitorStore::thresholds() const {
    return SettingsStore::thresholds();
}

bool SavedMonitorStore::watchCloseness() const {
    return SettingsStore::watchCloseness();
}

bool SavedMonitorStore::watchSlouch() const {
    return SettingsStore::watchSlouch();
}

bool SavedMonitorStore::useAirPods() const {
    return SettingsStore::useAirPods();
}

bool SavedMonitorStore::autoSelectByDisplays() const {
    return SettingsStore::autoSelectByDisplays();
}

std::optional<Date> SavedMonitorStore::pausedUntil() const {
    return SettingsStore::pausedUntil();
}

void SavedMonitorStore::setPausedUntil(std::optional<Date> until) {
    SettingsStore::setPausedUntil(until);
}

bool SavedMonitorStore::referenceHintDismissed(const Uuid& id, Date now) const {
    return SettingsStore::referenceHintDismissed(id, now);
}

void SavedMonitorStore::setReferenceHintDismissed(const Uuid& id, Date until) {
    SettingsStore::setReferenceHintDismissed(id, until);
}

CalibrationBook SavedMonitorStore::loadBook() const {
    return Storage::load<CalibrationBook>(Storage::positionsFileName).value_or(CalibrationBook{});
}

DailyTally SavedMonitorStore::loadTally() const {
    return Storage::load<DailyTally>(Storage::tallyFileName).value_or(DailyTally{});
}

void SavedMonitorStore::saveBook(const CalibrationBook& book) {
    Storage::save(book, Storage::positionsFileName);
}

void SavedMonitorStore::saveTally(const DailyTally& tally) {
    Storage::save(tally, Storage::tallyFileName);
}

} // namespace tisko
