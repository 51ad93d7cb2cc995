// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/SettingsIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

#include <cmath>

// The icons live in the interface library's resources, which a static library must
// register itself.
static void registerIcons() {
    Q_INIT_RESOURCE(Interface);
}

namespace tisko {

namespace {

qreal pixelRatio() {
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

QPixmap blank(int size) {
    const qreal ratio = pixelRatio();
    const int side = static_cast<int>(std::ceil(size * ratio));
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap SettingsIcons::symbol(const QString& name, const QColor& color, int size) {
    static const bool registered = (registerIcons(), true);
    Q_UNUSED(registered);
    QPixmap pixmap = blank(size);
    QSvgRenderer renderer(QStringLiteral(":/tisko/") + name + QStringLiteral(".svg"));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    // The files are drawn in black; keep their shape and take the colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(0, 0, size, size), color);
    return pixmap;
}

QIcon SettingsIcons::symbolIcon(const QString& name, const QColor& color, int size) {
    return QIcon(symbol(name, color, size));
}

QPixmap SettingsIcons::mark(Mark mark, const QColor& color, int size) {
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF circle(s * 0.08, s * 0.08, s * 0.84, s * 0.84);
    switch (mark) {
    case Mark::checkCircle: {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(circle);
        QPainterPath tick;
        tick.moveTo(s * 0.29, s * 0.52);
        tick.lineTo(s * 0.44, s * 0.66);
        tick.lineTo(s * 0.71, s * 0.36);
        painter.setPen(QPen(Qt::white, s * 0.11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
        break;
    }
    case Mark::exclamationCircle:
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(circle);
        painter.setPen(QPen(Qt::white, s * 0.11, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(s * 0.5, s * 0.28), QPointF(s * 0.5, s * 0.55));
        painter.drawPoint(QPointF(s * 0.5, s * 0.72));
        break;
    case Mark::circle:
        painter.setPen(QPen(color, s * 0.08));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04));
        break;
    case Mark::ellipsis:
        painter.setPen(QPen(color, s * 0.07));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04));
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        for (qreal x : {0.3, 0.5, 0.7})
            painter.drawEllipse(QPointF(s * x, s * 0.5), s * 0.055, s * 0.055);
        break;
    }
    return pixmap;
}

} // namespace tisko
