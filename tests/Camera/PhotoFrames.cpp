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

QImage composeFrame(const QImage& photo, QSize size, double scale, QPointF anchor, QPointF target) {
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(QColor(128, 128, 128));
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(target);
    painter.scale(scale, scale);
    painter.translate(-anchor);
    painter.drawImage(QPointF(0, 0), photo);
    painter.end();
    return frame;
}

PixelBuffer viewOf(const QImage& frame) {
    // Format_RGB32 keeps each pixel as 0xffRRGGBB, that is B, G, R, A in memory.
    return PixelBuffer{frame.constBits(), frame.width(), frame.height(), frame.bytesPerLine(), PixelFormat::Bgra32};
}

QImage darkened(const QImage& frame, double gain) {
    QImage dark = frame.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < dark.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(dark.scanLine(y));
        for (int x = 0; x < dark.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgb(static_cast<int>(std::lround(qRed(p) * gain)), static_cast<int>(std::lround(qGreen(p) * gain)),
                           static_cast<int>(std::lround(qBlue(p) * gain)));
        }
    }
    return dark;
}

} // namespace tisko::test
