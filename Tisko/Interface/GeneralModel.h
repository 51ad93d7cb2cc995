// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/DailyTally.h"

#include <QCoreApplication>
#include <QString>

namespace tisko {

// What the general settings page says: the footers, today's counts, the version row, and
// the export of the daily counts.
class GeneralModel {
    Q_DECLARE_TR_FUNCTIONS(GeneralModel)

public:
    GeneralModel() = delete;

    // "3 avisos · 12 comprobaciones", in the singular for one: alerts first, checks second.
    static QString todayLine(const DailyTally::Day& day);
    // The footer under the two switches, for the tray icon shown or hidden, on a desktop with
    // or without a tray.
    static QString iconFooter(bool iconShown, bool trayThere = true);
    // The footer of the counts, naming the counters file with "~" for the home folder.
    static QString tallyFooter(const QString& tallyPath, const QString& home);
    // The footer of the updates section: checks of its own with a feed; without one, the
    // system brings the updates.
    static QString updatesFooter(bool hasFeed);
    // "Versión " and the version, or "—" when there is none.
    static QString versionRow(const QString& version);
    // The name the save dialog proposes.
    static QString proposedFileName();
    // Why the CSV may not be written at `path`, in words for the user; empty when it may. A
    // symbolic link is never written through (it may lead to any of the user's files), nor is
    // a folder that other users may write and the user does not own (one of them could
    // plant such a link there).
    static QString exportRefusal(const QString& path);
    // Writes the tally's CSV to `path` atomically, replacing any file there. On failure or
    // refusal logs "Exportar: <reason>", leaves the earlier file as it was, puts the reason in
    // `reason` when given and returns false.
    static bool exportCsv(const DailyTally& tally, const QString& path, QString* reason = nullptr);

private:
    // Why a path is refused: a sentence to translate and the path or folder it names; no
    // sentence when the path is fine.
    struct Refusal {
        const char* sentence = nullptr;
        QString subject;
    };
    static Refusal refusalOf(const QString& path);
};

} // namespace tisko
