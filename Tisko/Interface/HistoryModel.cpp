// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/HistoryModel.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

namespace tisko {

namespace {

// The tally's key of a calendar day, written by the tally's own rule.
std::string keyOf(const QDate& date) {
    const DateComponents parts{date.year(), date.month(), date.day()};
    return DailyTally::key(Date{}, [&parts](Date) { return parts; });
}

// The share of bad checks among `days`, in whole percents; absent without checks. The sums
// are taken in floating point: counts near the largest integer add up without overflow.
std::optional<int> badShare(const std::vector<HistoryModel::Bar>& bars, int from, int to) {
    double checks = 0;
    double bad = 0;
    for (int i = from; i < to; ++i) {
        const HistoryModel::Bar& bar = bars[std::size_t(i)];
        checks += double(bar.good) + double(bar.bad);
        bad += double(bar.bad);
    }
    if (checks <= 0)
        return std::nullopt;
    return int(std::lround(100.0 * bad / checks));
}

} // namespace

HistoryModel::HistoryModel(const DailyTally& tally, Date now, const Calendar& calendar,
                           const QLocale& locale) {
    m_bars.resize(dayCount);
    const DateComponents today = calendar(now);
    const QDate last(today.year.value_or(0), today.month.value_or(0), today.day.value_or(0));
    if (!last.isValid())
        return;

    // Each stored day finds its bar by key; days outside the 30 (older, or after today) and a
    // second entry of a key already seen are passed over, as the tally's own lookup does.
    std::unordered_map<std::string, int> slots;
    std::vector<DailyTally::Day> shown(dayCount);
    std::vector<bool> filled(dayCount, false);
    for (int i = 0; i < dayCount; ++i) {
        m_bars[std::size_t(i)].date = last.addDays(i - (dayCount - 1));
        shown[std::size_t(i)].date = keyOf(m_bars[std::size_t(i)].date);
        slots.emplace(shown[std::size_t(i)].date, i);
    }
    for (const DailyTally::Day& stored : tally.days) {
        const auto slot = slots.find(stored.date);
        if (slot == slots.end() || filled[std::size_t(slot->second)])
            continue;
        filled[std::size_t(slot->second)] = true;
        shown[std::size_t(slot->second)] = stored;
    }

    for (std::size_t i = 0; i < m_bars.size(); ++i) {
        const DailyTally::Day& day = shown[i];
        Bar& bar = m_bars[i];
        const std::int64_t checks = std::max<std::int64_t>(day.checks, 0);
        bar.bad = std::clamp<std::int64_t>(day.badChecks, 0, checks);
        bar.good = checks - bar.bad;
        bar.text = dayText(bar.date, day, locale);
        m_tallest = std::max(m_tallest, checks);
    }

    m_thisWeek = badShare(m_bars, dayCount - 7, dayCount);
    m_weekBefore = badShare(m_bars, dayCount - 14, dayCount - 7);
}

QLocale HistoryModel::textLocale() {
    return QLocale();
}

QString HistoryModel::weekSentence() const {
    if (!m_thisWeek || !m_weekBefore)
        return tr("Todavía no hay una semana de datos.");
    return tr("Esta semana, el %1 % de las comprobaciones te vieron mal (la anterior, el %2 %).")
        .arg(*m_thisWeek)
        .arg(*m_weekBefore);
}

QString HistoryModel::dayText(const QDate& date, const DailyTally::Day& day,
                              const QLocale& locale) {
    const QString checks =
        day.checks == 1 ? tr("1 comprobación") : tr("%1 comprobaciones").arg(day.checks);
    const QString alerts = day.alerts() == 1 ? tr("1 aviso") : tr("%1 avisos").arg(day.alerts());
    // The bad checks are the orange part of the bar, so that a screen reader says what the
    // picture shows; a day that claims more than it has counts all of them.
    return tr("%1: %2 (%3 mal), %4 demasiado cerca, %5 hundido, %6")
        //: A day of the history, as a pattern of QLocale: "mar 4 mar".
        .arg(locale.toString(date, tr("ddd d MMM")), checks,
             QString::number(std::clamp<std::int64_t>(day.badChecks, 0, day.checks)),
             QString::number(day.tooClose), QString::number(day.slouching), alerts);
}

} // namespace tisko
