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
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(title);
    if (checked)
        setAccessibleDescription(*checked ? tr("activa") : QString());
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
    if (m_hovering || hasFocus() || isDown()) {
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
                     QFontMetrics(font()).elidedText(text(), Qt::ElideRight, textRect.width()));
}

void PanelButton::enterEvent(QEnterEvent* event) {
    m_hovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PanelButton::leaveEvent(QEvent* event) {
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void PanelButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

} // namespace tisko
