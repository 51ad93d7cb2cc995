// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractButton>

#include <optional>

namespace tisko {

// One full-width row of the tray panel that behaves like a menu item: an optional check
// column (kept when unchecked so titles stay aligned), the title (a long one shortened in its
// middle), Return or Space to choose it, and one highlight: the pointer moving over a row
// takes the focus to it, and the focused row is highlighted unless it got the focus only
// because the panel opened.
class PanelButton : public QAbstractButton {
    Q_OBJECT
public:
    PanelButton(const QString& title, std::optional<bool> checked, QWidget* parent = nullptr);

    // Absent: no check column; present: the column, with the mark when true.
    std::optional<bool> checkMark() const { return m_checked; }
    // Whether the row is drawn highlighted.
    bool isHighlighted() const { return m_highlighted && window()->focusWidget() == this; }
    // Highlights the focused row (the keyboard moved while it had the focus).
    void showFocus();
    // A bolder title (the update row).
    void setSemibold(bool semibold);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The mark follows the Monitor, never a click.
    void nextCheckState() override {}

private:
    std::optional<bool> m_checked;
    bool m_highlighted = false;
};

} // namespace tisko
