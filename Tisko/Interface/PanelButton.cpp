// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/PanelButton.h"

#include "Tisko/Interface/PanelStyle.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace tisko {

PanelButton::PanelButton(const QString& title, std::optional<bool> checked, QWidget* parent)
    : QAbstractButton(parent)
    , m_checked(checked) {
    setText(title);
    setFont(PanelStyle::menuItem());
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(title);
    // A position row says whether it is the one in use as a checked state.
    if (checked) {
        setCheckable(true);
        setChecked(*checked);
    }
}

void PanelButton::showFocus() {
    if (m_highlighted)
        return;
    m_highlighted = true;
    update();
}

QSize PanelButton::minimumSizeHint() const {
    // Any width: a long title is shortened rather than widening the panel.
    return {2 * PanelStyle::horizontalPadding, sizeHint().height()};
}

void PanelButton::setSemibold(bool semibold) {
    QFont bold = font();
    bold.setWeight(semibold ? QFont::DemiBold : QFont::Normal);
    setFont(bold);
}

QSize PanelButton::sizeHint() const {
    const QFontMetrics metrics(font());
    int width = 2 * PanelStyle::horizontalPadding + metrics.horizontalAdvance(text());
    if (m_checked)
        width += PanelStyle::checkColumn + PanelStyle::rowSpacing;
    return {width, metrics.height() + 2 * PanelStyle::rowVerticalPadding};
}

void PanelButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isHighlighted() || isDown()) {
        QColor shade = palette().color(QPalette::WindowText);
        shade.setAlphaF(isDown() ? 0.12f : 0.07f);
        painter.fillRect(rect(), shade);
    }
    const QColor ink =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    int x = PanelStyle::horizontalPadding;
    if (m_checked) {
        if (*m_checked) {
            // A check mark drawn as a path, 12 px wide, so it is crisp at any scale.
            const qreal cy = height() / 2.0;
            QPainterPath mark;
            mark.moveTo(x + 1.5, cy);
            mark.lineTo(x + 4.5, cy + 3.2);
            mark.lineTo(x + 10.5, cy - 3.8);
            painter.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPath(mark);
        }
        x += PanelStyle::checkColumn + PanelStyle::rowSpacing;
    }
    painter.setPen(ink);
    painter.setFont(font());
    const QRect textRect(x, 0, width() - x - PanelStyle::horizontalPadding, height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(font()).elidedText(text(), Qt::ElideMiddle, textRect.width()));
}

void PanelButton::mouseMoveEvent(QMouseEvent* event) {
    // Only a pointer that moves chooses a row: one that happens to lie where the panel
    // opens does not.
    if (isEnabled()) {
        setFocus(Qt::MouseFocusReason);
        showFocus();
    }
    QAbstractButton::mouseMoveEvent(event);
}

void PanelButton::leaveEvent(QEvent* event) {
    m_highlighted = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void PanelButton::focusInEvent(QFocusEvent* event) {
    // The first row takes the focus when the panel opens; it is highlighted only once the
    // keyboard or the pointer moves.
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
        break;
    case Qt::PopupFocusReason:
    case Qt::OtherFocusReason:
        m_highlighted = false;
        break;
    default:
        m_highlighted = true;
    }
    update();
    QAbstractButton::focusInEvent(event);
}

void PanelButton::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        m_highlighted = false;
    update();
    QAbstractButton::focusOutEvent(event);
}

void PanelButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        animateClick();
        return;
    }
    // The panel moves between rows (and shows the first one the keyboard reaches).
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        event->ignore();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

} // namespace tisko
