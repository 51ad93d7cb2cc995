// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/Monitor.h"

#include "Tisko/Monitor/CheckLog.h"
#include "Tisko/Support/Log.h"

#include <algorithm>

// The recorded positions: saving, choosing, removing and renaming them, the choice the
// connected displays make, and the hint that the active one no longer fits.

namespace tisko {

namespace {

constexpr double hintDismissalSeconds = 86400;

} // namespace

void Monitor::activate(CalibrationBook book) {
    setBook(std::move(book));
    const std::optional<Calibration> active = m_book.active();
    m_goodPitch = active ? active->headPitch : std::nullopt;
    resetReferenceCheck();
    saveBook();
    refreshState();
}

void Monitor::resetReferenceCheck() {
    m_referenceCheck.reset();
    setReferenceSuspect(std::nullopt);
}

void Monitor::saveBook() {
    m_services.store->saveBook(m_book);
}

void Monitor::saveCalibration(const Calibration& calibration) {
    CalibrationBook book = m_book;
    book.save(calibration);
    m_policy = freshPolicy();
    activate(std::move(book));
    // The last verdict judged the position before: the new one has none until its first look.
    if (m_lastVerdict) {
        m_lastVerdict.reset();
        Q_EMIT lastVerdictChanged();
    }
    Log::info(CheckLog::positionSaved(calibration));
}

void Monitor::select(const Uuid& id) {
    CalibrationBook book = m_book;
    book.activeID = id;
    activate(std::move(book));
    Log::info(CheckLog::positionInUse(m_book.active()));
}

void Monitor::remove(const Uuid& id) {
    // Callers pass ids that live in the book itself, which setBook replaces: keep a copy.
    const Uuid removed = id;
    const std::optional<Calibration> active = m_book.active();
    CalibrationBook book = m_book;
    book.remove(removed);
    setBook(std::move(book));
    // The hint and the recent checks judged the removed position, not the next one.
    if (active && active->id == removed)
        resetReferenceCheck();
    saveBook();
    refreshState();
}

void Monitor::rename(const Uuid& id, const QString& name) {
    CalibrationBook book = m_book;
    auto it = std::find_if(book.calibrations.begin(), book.calibrations.end(),
                           [&](const Calibration& c) { return c.id == id; });
    if (it == book.calibrations.end())
        return;
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return;
    it->name = trimmed.toStdString();
    setBook(std::move(book));
    saveBook();
}

void Monitor::selectCalibrationForDisplays() {
    if (!m_services.store->autoSelectByDisplays())
        return;
    const QString key = currentDisplayKey();
    // An active position recorded with these displays stays, even when a newer one was
    // recorded with them too: the user chose it.
    const std::optional<Calibration> active = m_book.active();
    if (active && active->displayKey && *active->displayKey == key.toStdString())
        return;
    const std::optional<Calibration> match = m_book.match(key.toStdString());
    if (!match || m_book.activeID == match->id)
        return;
    CalibrationBook book = m_book;
    book.activeID = match->id;
    activate(std::move(book));
    Log::info(CheckLog::positionForDisplays(*match));
}

void Monitor::dismissReferenceSuspect() {
    const std::optional<Calibration> active = m_book.active();
    if (!active)
        return;
    m_services.store->setReferenceHintDismissed(active->id,
                                                addSeconds(now(), hintDismissalSeconds));
    setReferenceSuspect(std::nullopt);
    Log::info(QStringLiteral("Aviso de posición descartado hasta mañana"));
}

} // namespace tisko
