// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShippedDetector.h"

#include <dlib/image_processing/frontal_face_detector.h>

namespace tisko::test {

std::vector<QRectF> shippedDetectorFaces(const QImage& frame) {
    static dlib::frontal_face_detector detector = dlib::get_frontal_face_detector();
    const QImage rgb = frame.convertToFormat(QImage::Format_RGB888);
    dlib::array2d<unsigned char> grey(rgb.height(), rgb.width());
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* line = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            dlib::assign_pixel(grey[y][x],
                               dlib::rgb_pixel(line[3 * x], line[3 * x + 1], line[3 * x + 2]));
    }
    std::vector<QRectF> faces;
    for (const dlib::rectangle& r : detector(grey))
        faces.emplace_back(r.left(), r.top(), r.right() - r.left(), r.bottom() - r.top());
    return faces;
}

} // namespace tisko::test
