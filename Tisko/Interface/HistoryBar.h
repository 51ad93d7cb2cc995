// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QWidget>

#include <cstdint>

namespace tisko {

// One day's bar of the history: the good checks at the bottom, the bad ones stacked on top,
// in proportion to the tallest day shown; nothing at all for a day without checks. Its
// accessible name is the day's numbers in words, which a screen reader reads when it has the
// focus.
class HistoryBar : public QWidget {
    Q_OBJECT
public:
    // The two kinds of check a bar shows.
    enum class Part { good, bad };
    // The colour of a part on `palette`'s window, in the bars and in the legend.
    static QColor colour(Part part, const QPalette& palette);

    explicit HistoryBar(QWidget* parent = nullptr);

    // Shows `good` and `bad` checks, scaled so that `tallest` fills the height, with `text`
    // as the words for the day.
    void setDay(std::int64_t good, std::int64_t bad, std::int64_t tallest, const QString& text);
    std::int64_t good() const { return m_good; }
    std::int64_t bad() const { return m_bad; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The pointer came over the bar, or went away from it.
    void pointed(bool over);
    // The bar took the keyboard focus.
    void focused();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::int64_t m_good = 0;
    std::int64_t m_bad = 0;
    std::int64_t m_tallest = 0;
    bool m_pointed = false;
};

} // namespace tisko
