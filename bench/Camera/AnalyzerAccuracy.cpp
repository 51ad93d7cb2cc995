// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Prints how the face analyzer follows a real face that is moved and scaled: the same
// photograph grown by 7, 15 and 30 % about the face must measure that much wider, and moved
// down by a quarter and by 0.6 of a face height must drop by as much.
#include "PhotoFrames.h"
#include "Tisko/Camera/FaceAnalyzer.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdio>

using namespace tisko;

namespace {

constexpr QSize kFrame(1280, 720);

struct Face {
    const char* file;
    bool mirrored;
};

std::optional<HeadMeasurement> measureAt(const QImage& photo, double scale, QPointF anchor,
                                         QPointF target, const FaceModel& model) {
    const QImage frame = test::composeFrame(photo, kFrame, scale, anchor, target);
    return FaceAnalyzer::measure(test::viewOf(frame), model);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto model = FaceModel::acquire();
    if (!model->landmarks()) {
        std::fprintf(stderr, "no landmark model\n");
        return 1;
    }
    const Face faces[] = {{"astronaut.png", false},
                          {"astronaut.png", true},
                          {"grace_hopper.jpg", false},
                          {"grace_hopper.jpg", true},
                          {"messi5.jpg", false}};
    double worstScale = 0, worstDrop = 0, worstSweep = 0;
    int measured = 0;
    for (const Face& face : faces) {
        QImage photo = test::loadPhoto(QString::fromLatin1(face.file));
        if (photo.isNull()) {
            std::fprintf(stderr, "missing %s\n", face.file);
            return 1;
        }
        if (face.mirrored)
            photo = photo.mirrored(true, false);
        // Find the face once, then frame it so it spans about a fifth of the frame's width.
        const QPointF centre(photo.width() / 2.0, photo.height() / 2.0);
        const double fit = std::min(1280.0 / photo.width(), 720.0 / photo.height());
        const auto first = measureAt(photo, fit, centre, QPointF(640, 360), *model);
        if (!first) {
            std::printf("%-18s %s no face at %.2f\n", face.file,
                        face.mirrored ? "mirrored" : "        ", fit);
            continue;
        }
        // Scale about the face's height in the photo (its horizontal place is not measured).
        const QPointF anchor(centre.x(), centre.y() + ((1.0 - first->faceY) * 720 - 360) / fit);
        const double base = fit * 0.2 / first->faceWidth;
        const QPointF target(640, 330);
        const auto reference = measureAt(photo, base, anchor, target, *model);
        if (!reference || !reference->eyeDistance) {
            std::printf("%-18s %s no face when framed\n", face.file,
                        face.mirrored ? "mirrored" : "        ");
            continue;
        }
        ++measured;
        std::printf("%-18s %s width %.4f height %.4f eyes %.4f y %.4f\n", face.file,
                    face.mirrored ? "mirrored" : "        ", reference->faceWidth,
                    reference->faceHeight, *reference->eyeDistance, reference->faceY);
        for (double k : {1.07, 1.15, 1.3}) {
            const auto m = measureAt(photo, base * k, anchor, target, *model);
            if (!m || !m->eyeDistance) {
                std::printf("   scale %.2f: no face\n", k);
                worstScale = 1;
                continue;
            }
            const double widthError = m->faceWidth / reference->faceWidth / k - 1;
            const double eyeError = *m->eyeDistance / *reference->eyeDistance / k - 1;
            worstScale = std::max({worstScale, std::abs(widthError), std::abs(eyeError)});
            std::printf("   scale %.2f: width ratio %.4f (%+.1f %%), eye ratio %.4f (%+.1f %%)\n",
                        k, m->faceWidth / reference->faceWidth, widthError * 100,
                        *m->eyeDistance / *reference->eyeDistance, eyeError * 100);
        }
        const double faceHeightPx = reference->faceHeight * kFrame.height();
        for (double d : {0.25, 0.6}) {
            const auto m = measureAt(photo, base, anchor,
                                     QPointF(target.x(), target.y() + d * faceHeightPx), *model);
            if (!m) {
                std::printf("   down %.2f: no face\n", d);
                worstDrop = 1;
                continue;
            }
            const double drop = (reference->faceY - m->faceY) / reference->faceHeight;
            worstDrop = std::max(worstDrop, std::abs(drop - d));
            std::printf("   down %.2f face heights: drop %.4f face heights (error %+.4f)\n", d,
                        drop, drop - d);
        }
        // Continuity: a fine sweep of sizes must track the scale without steps.
        double sweep = 0;
        for (int i = 0; i <= 30; i += 2) {
            const double k = 1.0 + i / 100.0;
            const auto m = measureAt(photo, base * k, anchor, target, *model);
            if (m)
                sweep = std::max(sweep, std::abs(m->faceWidth / reference->faceWidth / k - 1));
            else
                sweep = 1;
        }
        worstSweep = std::max(worstSweep, sweep);
        std::printf("   sweep 1.00..1.30 in steps of 0.02: worst width error %.1f %%\n",
                    sweep * 100);
    }
    std::printf("faces measured %d; worst scale error %.1f %% (limit 5 %%); worst drop error %.3f "
                "face heights "
                "(limit 0.05); worst sweep error %.1f %%\n",
                measured, worstScale * 100, worstDrop, worstSweep * 100);
    return 0;
}
