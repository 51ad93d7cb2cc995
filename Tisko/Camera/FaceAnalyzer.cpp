#include "Tisko/Camera/FaceAnalyzer.h"

#include "Tisko/Camera/FaceDetector.h"
#include "Tisko/Camera/GreyImage.h"

#include <algorithm>
#include <cmath>

namespace tisko {

namespace {

// Landmarks of the 68-point model that outline each eye.
constexpr int kFirstEyeStart = 36;
constexpr int kSecondEyeStart = 42;
constexpr int kEyePoints = 6;

// The box on which the model's mean shape lies best over `points` (least squares under
// translation, rotation and scale): its side is the fitted scale, its centre the image
// of the unit square's centre. Rotation does not change the side, so a tilted head keeps
// its size.
PixelBox boxFromLandmarks(const std::vector<float>& mean, const std::vector<PixelPoint>& points) {
    const std::size_t n = points.size();
    double mx = 0, my = 0, qx = 0, qy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        mx += mean[2 * i];
        my += mean[2 * i + 1];
        qx += points[i].x;
        qy += points[i].y;
    }
    const auto count = static_cast<double>(n);
    mx /= count;
    my /= count;
    qx /= count;
    qy /= count;
    double dot = 0, cross = 0, norm = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double px = mean[2 * i] - mx, py = mean[2 * i + 1] - my;
        const double dx = points[i].x - qx, dy = points[i].y - qy;
        dot += px * dx + py * dy;
        cross += px * dy - py * dx;
        norm += px * px + py * py;
    }
    const double a = dot / norm;
    const double b = cross / norm;
    const double side = std::hypot(a, b);
    const double ux = 0.5 - mx, uy = 0.5 - my;
    const double cx = a * ux - b * uy + qx;
    const double cy = b * ux + a * uy + qy;
    return {cx - side / 2, cy - side / 2, side, side};
}

PixelPoint centroid(const std::vector<PixelPoint>& points, int first) {
    PixelPoint c;
    for (int i = first; i < first + kEyePoints; ++i) {
        c.x += points[static_cast<std::size_t>(i)].x;
        c.y += points[static_cast<std::size_t>(i)].y;
    }
    return {c.x / kEyePoints, c.y / kEyePoints};
}

bool isUsable(const PixelBox& box) {
    return std::isfinite(box.left) && std::isfinite(box.top) && std::isfinite(box.width) && box.width > 0;
}

} // namespace

std::optional<HeadMeasurement> FaceAnalyzer::measure(const PixelBuffer& frame) {
    const std::shared_ptr<FaceModel> model = FaceModel::acquire();
    return measure(frame, *model);
}

std::optional<HeadMeasurement> FaceAnalyzer::measure(const PixelBuffer& frame, const FaceModel& model) {
    if (!frame.isValid())
        return std::nullopt;

    // Search coarse copies first: a big face is found there quickly, and a face the coarse
    // copy shows too small to find is narrower than one it does find. Only when a copy
    // yields no convincing face does the search go on to a finer one.
    const int longSide = std::max(frame.width, frame.height);
    std::vector<FaceCandidate> found;
    double scale = 1;
    for (std::size_t tier = 0; tier < std::size(detectionSides); ++tier) {
        const double side = std::min<double>(detectionSides[tier], 2.0 * longSide);
        if (tier > 0 && side <= std::min<double>(detectionSides[tier - 1], 2.0 * longSide))
            break;
        GreyImage copy = GreyImage::scaledFrom(frame, side / longSide);
        copy.equalize();
        std::vector<FaceCandidate> faces = FaceDetector::detect(copy);
        // A finer copy that finds nothing keeps the weak faces of a coarser one.
        if (faces.empty())
            continue;
        found = std::move(faces);
        scale = static_cast<double>(copy.width) / frame.width;
        // Enlarging the frame is costly: it is only worth it when nothing was found at all.
        const bool nextEnlarges = tier + 1 < std::size(detectionSides) && detectionSides[tier + 1] > longSide;
        if (found.front().confidence >= convincingConfidence || nextEnlarges)
            break;
    }
    if (found.empty())
        return std::nullopt;

    // Widest face wins, earliest on ties; the detector lists the strongest first.
    const double strongest = found.front().confidence;
    const FaceCandidate* chosen = nullptr;
    for (const FaceCandidate& face : found) {
        if (face.confidence < strongest - confidenceMargin)
            continue;
        if (!chosen || face.width > chosen->width)
            chosen = &face;
    }
    PixelBox box{chosen->left / scale, chosen->top / scale, chosen->width / scale, chosen->height / scale};

    const LandmarkModel* landmarks = model.landmarks();
    if (!landmarks || landmarks->pointCount() != 68)
        return measurementOf(box, std::nullopt, std::nullopt, frame.width, frame.height);

    // The landmarks depend on the box they start from, and the detector's boxes come in
    // coarse steps of size; starting again from the box of the landmarks themselves makes
    // the result follow the face rather than the step the detector happened to take.
    std::vector<PixelPoint> points = landmarks->predict(frame, box);
    for (int i = 0; i < refits; ++i) {
        const PixelBox refit = boxFromLandmarks(landmarks->meanShape(), points);
        if (!isUsable(refit))
            break;
        points = landmarks->predict(frame, refit);
    }
    const PixelBox fitted = boxFromLandmarks(landmarks->meanShape(), points);
    if (!isUsable(fitted))
        return measurementOf(box, std::nullopt, std::nullopt, frame.width, frame.height);
    return measurementOf(fitted, centroid(points, kFirstEyeStart), centroid(points, kSecondEyeStart), frame.width,
                         frame.height);
}

HeadMeasurement FaceAnalyzer::measurementOf(const PixelBox& box, std::optional<PixelPoint> leftPupil,
                                            std::optional<PixelPoint> rightPupil, int width, int height) {
    const auto w = static_cast<double>(width);
    const auto h = static_cast<double>(height);
    HeadMeasurement m;
    m.faceWidth = box.width / w;
    m.faceHeight = box.height / h;
    m.faceY = 1.0 - (box.top + box.height / 2) / h;
    if (leftPupil && rightPupil) {
        const double dx = rightPupil->x - leftPupil->x;
        const double dy = rightPupil->y - leftPupil->y;
        const double s = dx * dx + dy * dy;
        if (s > 0)
            m.eyeDistance = std::sqrt(s) / w;
    }
    return m;
}

} // namespace tisko
