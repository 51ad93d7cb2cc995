// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PhotoFrames.h"

#include "Tisko/Camera/FaceDetector.h"
#include "Tisko/Camera/GreyImage.h"

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

const std::vector<Portrait>& portraits() {
    static const std::vector<Portrait> all = {
        {QStringLiteral("astronaut.png"), {}},
        {QStringLiteral("grace_hopper.jpg"), {}},
        {QStringLiteral("man_smiling.jpg"), {}},
        {QStringLiteral("man_bearded.jpg"), {}},
        {QStringLiteral("man_bearded_close.jpg"), {}},
        {QStringLiteral("man_glasses.jpg"), {0, 0, 387, 580}}, // the first of three views
        {QStringLiteral("woman_dim.jpg"), {0, 0, 538, 512}},
        {QStringLiteral("woman_looking_down.jpg"), {0, 0, 538, 512}},
        {QStringLiteral("woman_turned.png"), {}},
    };
    return all;
}

std::vector<FaceFrame> faceFrames(const std::vector<double>& widths) {
    constexpr QSize size(640, 480);
    std::vector<FaceFrame> frames;
    for (const Portrait& portrait : portraits()) {
        QImage photo = loadPhoto(portrait.name);
        if (photo.isNull())
            continue;
        if (!portrait.part.isNull())
            photo = photo.copy(portrait.part);
        GreyImage grey = GreyImage::scaledFrom(viewOf(photo), 1.0);
        const std::vector<FaceCandidate> found = FaceDetector::detect(grey);
        if (found.empty())
            continue;
        const FaceCandidate& face = found.front();
        const QPointF middle(face.left + face.width / 2, face.top + face.height / 2);
        for (double width : widths) {
            const double scale = width * size.width() / face.width;
            const QString what =
                portrait.name + QStringLiteral(" %1%").arg(std::lround(100 * width));
            // A little above the middle, where a seated person's face is.
            const QPointF target(size.width() / 2.0, 200);
            const QImage plain = composeFrame(photo, size, scale, middle, target);
            frames.push_back({plain, what});
            frames.push_back({darkened(plain, 0.25), what + QStringLiteral(" dark")});
            frames.push_back({plain.mirrored(true, false), what + QStringLiteral(" mirrored")});
            for (double degrees : {-8.0, 8.0})
                frames.push_back({composeFrame(photo, size, scale, middle, target, degrees),
                                  what + QStringLiteral(" turned %1°").arg(degrees)});
        }
    }
    return frames;
}

} // namespace tisko::test
