// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPushButton>

namespace tisko {

// A window's or panel's main button: filled with the accent colour and its text in the
// accent's text colour while it can be pressed, drawn like any other button while it cannot.
// An inactive button keeps the keyboard focus (a disabled one would lose it), shows itself as
// unavailable and ignores presses.
class ProminentButton : public QPushButton {
    Q_OBJECT
public:
    explicit ProminentButton(const QString& text = {}, QWidget* parent = nullptr);

    // Whether pressing it does anything; unlike setEnabled, it leaves the focus where it is.
    void setActive(bool active);
    bool isActive() const { return m_active; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    bool m_active = true;
};

} // namespace tisko
