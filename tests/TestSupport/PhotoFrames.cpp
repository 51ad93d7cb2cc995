// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PhotoFrames.h"

#include <QPainter>

#include <cmath>

namespace tisko::test {

QString photoPath(const QString& name) {
    return QStringLiteral(TISKO_TEST_PHOTOS "/") + name;
}

QImage loadPhoto(const QString& name) {
    QImage image(photoPath(name));
    if (image.isNull())
        return image;
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage composeFrame(const QImage& photo, QSize size, double scale, QPointF anchor, QPointF target,
                    double degrees) {
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(QColor(128, 128, 128));
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(target);
    painter.rotate(degrees);
    painter.scale(scale, scale);
    painter.translate(-anchor);
    painter.drawImage(QPointF(0, 0), photo);
    painter.end();
    return frame;
}

PixelBuffer viewOf(const QImage& frame) {
    // Format_RGB32 keeps each pixel as 0xffRRGGBB, that is B, G, R, A in memory.
    return PixelBuffer{frame.constBits(), frame.width(), frame.height(), frame.bytesPerLine(),
                       PixelFormat::Bgra32};
}

QImage darkened(const QImage& frame, double gain) {
    QImage dark = frame.convertToFormat(QImage::Format_RGB32);
    QPainter(&dark).fillRect(dark.rect(),
                             QColor(0, 0, 0, static_cast<int>(std::lround(255 * (1 - gain)))));
    return dark;
}

} // namespace tisko::test
