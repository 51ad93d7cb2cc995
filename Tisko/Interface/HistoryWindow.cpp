// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/HistoryWindow.h"

#include "Tisko/Interface/HistoryBar.h"
#include "Tisko/Monitor/Monitor.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include <algorithm>

namespace tisko {

namespace {

QLabel* plainLabel(bool wraps = false) {
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wraps);
    return label;
}

// A square of the part's colour, as high as a capital letter, and its words.
void addLegendEntry(QHBoxLayout* row, HistoryBar::Part part, const QString& text) {
    auto* swatch = new QLabel;
    const int side = swatch->fontMetrics().capHeight();
    QPixmap square(side, side);
    square.fill(HistoryBar::colour(part, swatch->palette()));
    swatch->setPixmap(square);
    row->addWidget(swatch);
    QLabel* words = plainLabel();
    words->setText(text);
    row->addWidget(words);
    row->addSpacing(swatch->fontMetrics().averageCharWidth() * 2);
}

} // namespace

HistoryWindow::HistoryWindow(QWidget* parent)
    : QWidget(parent) {
    setWindowTitle(tr("Historial de Tisko"));
    auto* column = new QVBoxLayout(this);

    m_sentence = plainLabel(true);
    column->addWidget(m_sentence);

    auto* chart = new QHBoxLayout;
    chart->setSpacing(3);
    for (int i = 0; i < HistoryModel::dayCount; ++i) {
        auto* bar = new HistoryBar;
        m_bars.push_back(bar);
        chart->addWidget(bar);
        connect(bar, &HistoryBar::pointed, this, [this, i](bool over) {
            if (over)
                m_pointed = i;
            else if (m_pointed == i)
                m_pointed.reset();
            showDay();
        });
        connect(bar, &HistoryBar::focused, this, [this, i] { moveTo(i); });
    }
    column->addLayout(chart, 1);

    auto* dates = new QHBoxLayout;
    m_first = plainLabel();
    m_last = plainLabel();
    dates->addWidget(m_first);
    dates->addStretch(1);
    dates->addWidget(m_last);
    column->addLayout(dates);

    m_day = plainLabel(true);
    column->addWidget(m_day);

    auto* legend = new QHBoxLayout;
    addLegendEntry(legend, HistoryBar::Part::good, tr("Bien"));
    addLegendEntry(legend, HistoryBar::Part::bad, tr("Demasiado cerca o hundido"));
    legend->addStretch(1);
    column->addLayout(legend);

    moveTo(m_current);
}

HistoryWindow::HistoryWindow(Monitor& monitor, QWidget* parent)
    : HistoryWindow(parent) {
    auto follow = [this, &monitor] {
        setHistory(HistoryModel(monitor.tally(), monitor.now(), monitor.calendar()));
    };
    connect(&monitor, &Monitor::tallyChanged, this, follow);
    follow();
    adjustSize();
}

HistoryWindow::HistoryWindow(const HistoryModel& history, QWidget* parent)
    : HistoryWindow(parent) {
    setHistory(history);
    adjustSize();
}

void HistoryWindow::setHistory(const HistoryModel& history) {
    m_history = history;
    m_sentence->setText(history.weekSentence());
    const std::vector<HistoryModel::Bar>& bars = history.bars();
    // Wide enough for the longest day's words on one line (within reason), so that the line
    // neither wraps nor makes the window jump as the keyboard walks the days.
    const QFontMetrics metrics = m_day->fontMetrics();
    int widest = 0;
    for (std::size_t i = 0; i < bars.size() && i < m_bars.size(); ++i) {
        m_bars[i]->setDay(bars[i].good, bars[i].bad, history.tallest(), bars[i].text);
        widest = std::max(widest, metrics.horizontalAdvance(bars[i].text));
    }
    m_day->setMinimumWidth(std::min(widest, metrics.averageCharWidth() * 90));
    const QLocale locale = HistoryModel::textLocale();
    //: The first and last day under the bars, as a pattern of QLocale: "4 mar".
    const QString pattern = tr("d MMM");
    m_first->setText(locale.toString(bars.front().date, pattern));
    m_last->setText(locale.toString(bars.back().date, pattern));
    showDay();
}

QString HistoryWindow::dayShown() const {
    return m_day->text();
}

void HistoryWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        moveTo(m_current - 1);
        break;
    case Qt::Key_Right:
        moveTo(m_current + 1);
        break;
    case Qt::Key_Home:
        moveTo(0);
        break;
    case Qt::Key_End:
        moveTo(HistoryModel::dayCount - 1);
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void HistoryWindow::moveTo(int index) {
    m_current = std::clamp(index, 0, HistoryModel::dayCount - 1);
    // Only the keyboard's bar is in the Tab chain; the arrows walk the others.
    for (std::size_t i = 0; i < m_bars.size(); ++i)
        m_bars[i]->setFocusPolicy(int(i) == m_current ? Qt::StrongFocus : Qt::ClickFocus);
    HistoryBar* bar = m_bars[std::size_t(m_current)];
    if (focusWidget() && focusWidget()->hasFocus() && !bar->hasFocus())
        bar->setFocus(Qt::OtherFocusReason);
    showDay();
}

void HistoryWindow::showDay() {
    if (m_history)
        m_day->setText(m_history->bars()[std::size_t(m_pointed.value_or(m_current))].text);
}

} // namespace tisko
