// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/HistoryBar.h"

#include "Tisko/Interface/TiskoColors.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tisko {

QColor HistoryBar::colour(Part part, const QPalette& palette) {
    // The tray icon's green and orange.
    return part == Part::good ? TiskoColors::good(palette) : TiskoColors::warning(palette);
}

HistoryBar::HistoryBar(QWidget* parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void HistoryBar::setDay(std::int64_t good, std::int64_t bad, std::int64_t tallest,
                        const QString& text) {
    m_good = good;
    m_bad = bad;
    m_tallest = tallest;
    setAccessibleName(text);
    update();
}

QSize HistoryBar::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 2, fontMetrics().height() * 9};
}

QSize HistoryBar::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() / 2 + 2, fontMetrics().height() * 5};
}

void HistoryBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    if (m_pointed || hasFocus()) {
        QColor shade = palette().color(QPalette::Highlight);
        shade.setAlphaF(0.18f);
        painter.fillRect(area, shade);
    }
    if (hasFocus()) {
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
    }
    const double checks = double(m_good) + double(m_bad);
    if (checks <= 0 || m_tallest <= 0)
        return;
    // A day with checks keeps two pixels however small it is next to the tallest.
    const QRect inner = area.adjusted(2, 2, -2, 0);
    const int total = std::max(
        2, int(std::lround(double(inner.height()) * std::min(1.0, checks / double(m_tallest)))));
    const int bad = int(std::lround(double(total) * double(m_bad) / checks));
    const int bottom = inner.bottom() + 1;
    painter.fillRect(QRect(inner.left(), bottom - total + bad, inner.width(), total - bad),
                     colour(Part::good, palette()));
    painter.fillRect(QRect(inner.left(), bottom - total, inner.width(), bad),
                     colour(Part::bad, palette()));
}

void HistoryBar::enterEvent(QEnterEvent* event) {
    m_pointed = true;
    update();
    Q_EMIT pointed(true);
    QWidget::enterEvent(event);
}

void HistoryBar::leaveEvent(QEvent* event) {
    m_pointed = false;
    update();
    Q_EMIT pointed(false);
    QWidget::leaveEvent(event);
}

void HistoryBar::focusInEvent(QFocusEvent* event) {
    update();
    Q_EMIT focused();
    QWidget::focusInEvent(event);
}

void HistoryBar::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

} // namespace tisko
