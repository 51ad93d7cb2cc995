// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Prints how many of the faces that dlib's detector finds on a whole 640×480 frame Tisko's
// face search finds too, over the portraits of the test photographs at face widths from 12
// to 45 % of the frame, plain, dark, mirrored and turned; the faces it finds beyond those;
// and the CPU time of a first frame's analysis (the whole search and the landmarks) beside
// the detector's own.
//   camera_face_search_recall [--list]   (--list names every frame missed)
#include "PhotoFrames.h"
#include "ShippedDetector.h"
#include "Tisko/Camera/FaceAnalyzer.h"
#include "Tisko/Camera/FaceDetector.h"
#include "Tisko/Camera/GreyImage.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

using namespace tisko;

namespace {

// CPU milliseconds this thread has used: a figure the machine's other work barely moves.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Tally {
    int frames = 0, detectorHits = 0, found = 0, beyond = 0;
};

// The portraits of nine people, each the part of its photograph that shows one face.
struct Portrait {
    QString name;
    QRect part; // null: the whole photograph
};

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

// One frame of a face at a known size, and what was done to make it.
struct FaceFrame {
    QImage image;
    QString what; // "man_glasses.jpg 17% dark"
};
// 640×480 frames of every portrait, its face `widths` of the frame wide (placed by the face
// the detector finds in the photograph): plain, darkened to a quarter, mirrored, and turned
// 8° either way.
std::vector<FaceFrame> faceFrames(const std::vector<double>& widths) {
    constexpr QSize size(640, 480);
    std::vector<FaceFrame> frames;
    for (const Portrait& portrait : portraits()) {
        QImage photo = test::loadPhoto(portrait.name);
        if (photo.isNull())
            continue;
        if (!portrait.part.isNull())
            photo = photo.copy(portrait.part);
        GreyImage grey = GreyImage::scaledFrom(test::viewOf(photo), 1.0);
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
            const QImage plain = test::composeFrame(photo, size, scale, middle, target);
            frames.push_back({plain, what});
            frames.push_back({test::darkened(plain, 0.25), what + QStringLiteral(" dark")});
            frames.push_back({plain.mirrored(true, false), what + QStringLiteral(" mirrored")});
            for (double degrees : {-8.0, 8.0})
                frames.push_back({test::composeFrame(photo, size, scale, middle, target, degrees),
                                  what + QStringLiteral(" turned %1°").arg(degrees)});
        }
    }
    return frames;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool list = argc > 1 && QByteArray(argv[1]) == "--list";
    const auto model = FaceModel::acquire();
    if (!model->landmarks()) {
        std::fprintf(stderr, "no landmark model\n");
        return 1;
    }
    const std::vector<FaceFrame> frames =
        faceFrames({0.12, 0.14, 0.17, 0.2, 0.25, 0.3, 0.37, 0.45});
    if (frames.empty()) {
        std::fprintf(stderr, "no photographs: run tests/data/fetch-photos build/photos\n");
        return 1;
    }
    std::map<QString, Tally> byCondition;
    Tally all;
    std::vector<double> searchMs, detectorMs;
    for (const FaceFrame& frame : frames) {
        double start = cpuMs();
        const std::vector<QRectF> reference = test::shippedDetectorFaces(frame.image);
        detectorMs.push_back(cpuMs() - start);
        FaceTrack track;
        start = cpuMs();
        const bool found =
            FaceAnalyzer::measure(test::viewOf(frame.image), *model, track).has_value();
        searchMs.push_back(cpuMs() - start);
        // Found when the search's face lies on one of the detector's.
        const QPointF middle(track.found.left + track.found.width / 2,
                             track.found.top + track.found.height / 2);
        const bool same = found && std::any_of(reference.begin(), reference.end(),
                                               [&](const QRectF& r) { return r.contains(middle); });
        const QString condition = frame.what.section(QLatin1Char(' '), 2).isEmpty()
                                      ? QStringLiteral("plain")
                                      : frame.what.section(QLatin1Char(' '), 2, 2);
        for (Tally* t : {&all, &byCondition[condition]}) {
            ++t->frames;
            if (!reference.empty()) {
                ++t->detectorHits;
                t->found += same ? 1 : 0;
            } else if (found) {
                ++t->beyond;
            }
        }
        if (list && !reference.empty() && !same)
            std::printf("missed: %s\n", qPrintable(frame.what));
    }
    std::printf("%-10s %7s %14s %12s %8s %13s\n", "frames", "count", "detector hits", "Tisko found",
                "recall", "Tisko beyond");
    const auto row = [](const QString& name, const Tally& t) {
        std::printf("%-10s %7d %14d %12d %7.1f%% %13d\n", qPrintable(name), t.frames,
                    t.detectorHits, t.found,
                    t.detectorHits ? 100.0 * t.found / t.detectorHits : 100.0, t.beyond);
    };
    for (const auto& [name, t] : byCondition)
        row(name, t);
    row(QStringLiteral("all"), all);
    std::printf(
        "first frame 640x480, median CPU ms: Tisko's analysis %.1f, the detector alone %.1f\n",
        median(searchMs), median(detectorMs));
    return 0;
}
