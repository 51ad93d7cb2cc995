// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/ProminentButton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace tisko {

ProminentButton::ProminentButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent) {}

void ProminentButton::setActive(bool active) {
    if (m_active == active)
        return;
    m_active = active;
    update();
}

void ProminentButton::paintEvent(QPaintEvent* event) {
    if (!isEnabled()) {
        QPushButton::paintEvent(event);
        return;
    }
    if (!m_active) {
        // Drawn as a disabled button, but it keeps its focus frame.
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.state &= ~QStyle::State_Enabled;
        option.palette.setCurrentColorGroup(QPalette::Disabled);
        painter.drawControl(QStyle::CE_PushButton, option);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::Highlight);
    if (isDown())
        fill = fill.darker(115);
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(hasFocus() ? QPen(fill.darker(150), 1.5) : QPen(Qt::NoPen));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 4, 4);
    painter.setPen(palette().color(QPalette::HighlightedText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

void ProminentButton::mousePressEvent(QMouseEvent* event) {
    if (!m_active) {
        event->accept();
        return;
    }
    QPushButton::mousePressEvent(event);
}

void ProminentButton::keyPressEvent(QKeyEvent* event) {
    if (!m_active && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
                      event->key() == Qt::Key_Enter)) {
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

bool ProminentButton::hitButton(const QPoint& pos) const {
    return m_active && QPushButton::hitButton(pos);
}

} // namespace tisko
