// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Interface/HistoryModel.h"

#include <QWidget>

#include <optional>
#include <vector>

class QLabel;

namespace tisko {

class HistoryBar;
class Monitor;

// The window "Historial de Tisko": one sentence comparing this week with the one before, the
// last 30 days as bars (oldest on the left) with their legend, and the numbers of the day
// under the pointer or the keyboard. The arrow keys, Home and End walk the days; Escape
// closes the window.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    // Shows the Monitor's tally and follows it as checks are counted.
    explicit HistoryWindow(Monitor& monitor, QWidget* parent = nullptr);
    // Shows a history that does not change (for pictures).
    explicit HistoryWindow(const HistoryModel& history, QWidget* parent = nullptr);

    // Shows `history`, keeping the day the keyboard is on.
    void setHistory(const HistoryModel& history);
    // The bars, oldest first.
    const std::vector<HistoryBar*>& bars() const { return m_bars; }
    // The numbers of the day shown under the bars.
    QString dayShown() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit HistoryWindow(QWidget* parent);
    void moveTo(int index);
    // Shows the numbers of the day under the pointer, else of the keyboard's day.
    void showDay();

    std::optional<HistoryModel> m_history;
    QLabel* m_sentence = nullptr;
    QLabel* m_first = nullptr;
    QLabel* m_last = nullptr;
    QLabel* m_day = nullptr;
    std::vector<HistoryBar*> m_bars;
    // The bar the keyboard is on: the one Tab reaches.
    int m_current = HistoryModel::dayCount - 1;
    // The bar under the pointer.
    std::optional<int> m_pointed;
};

} // namespace tisko
