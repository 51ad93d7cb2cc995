// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/DailyTally.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace tisko {

// What the history window shows of a tally on a given day: one bar per day of the last 30,
// oldest first, the share of bad checks in the last 7 days against the 7 before, and each
// day's numbers in words. Days after today (a clock set back) are left out; a day that claims
// more bad checks than checks counts all of its checks as bad.
class HistoryModel {
    Q_DECLARE_TR_FUNCTIONS(HistoryModel)

public:
    // How many days the bars cover, today included.
    static constexpr int dayCount = 30;

    // One day's bar: its height is good + bad checks; both 0 for a day without checks.
    struct Bar {
        QDate date;
        std::int64_t good = 0;
        std::int64_t bad = 0;
        QString text; // the day's numbers, as dayText() words them
        bool operator==(const Bar&) const = default;
    };

    // The history of `tally` on the day `now` falls on in `calendar`, with dates written the
    // way `locale` writes them. A calendar that names no valid day gives empty bars.
    HistoryModel(const DailyTally& tally, Date now, const Calendar& calendar,
                 const QLocale& locale = textLocale());

    // The locale of the interface's texts, so that day and month names read in the language
    // of the sentence around them.
    static QLocale textLocale();

    const std::vector<Bar>& bars() const { return m_bars; }
    // The tallest bar's height; 0 when no day has checks.
    std::int64_t tallest() const { return m_tallest; }
    // The share of bad checks in the last 7 days and in the 7 before, rounded to whole
    // percents; absent for a week without checks.
    std::optional<int> thisWeek() const { return m_thisWeek; }
    std::optional<int> weekBefore() const { return m_weekBefore; }
    // "Esta semana, el 12 % …" when both weeks have checks, else the sentence for too little
    // data.
    QString weekSentence() const;

    // "mar 1 dic: 84 comprobaciones (9 mal), 6 demasiado cerca, 3 hundido, 9 avisos".
    static QString dayText(const QDate& date, const DailyTally::Day& day, const QLocale& locale);

private:
    std::vector<Bar> m_bars;
    std::int64_t m_tallest = 0;
    std::optional<int> m_thisWeek;
    std::optional<int> m_weekBefore;
};

} // namespace tisko
