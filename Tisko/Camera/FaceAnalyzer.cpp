// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/FaceAnalyzer.h"

#include "Tisko/Camera/FaceDetector.h"
#include "Tisko/Camera/GreyImage.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
    return std::isfinite(box.left) && std::isfinite(box.top) && std::isfinite(box.width) &&
           box.width > 0;
}

// How far `a` is from `b`: the largest move of an edge or of the size, over b's side.
double change(const PixelBox& a, const PixelBox& b) {
    return std::max({std::abs(a.left - b.left), std::abs(a.top - b.top),
                     std::abs(a.width - b.width), std::abs(a.height - b.height)}) /
           b.width;
}

PixelPoint centre(const PixelBox& box) {
    return {box.left + box.width / 2, box.top + box.height / 2};
}

// A face the detector found, in pixels of the frame.
struct Found {
    PixelBox box;
    double confidence;
};

// Adds the detector's faces on a copy of the frame region starting at (x, y), scaled by
// (sx, sy), to `found` in frame pixels.
void addFaces(const std::vector<FaceCandidate>& faces, double x, double y, double sx, double sy,
              std::vector<Found>& found) {
    for (const FaceCandidate& face : faces)
        found.push_back({{x + face.left / sx, y + face.top / sy, face.width / sx, face.height / sy},
                         face.confidence});
}

double strongestOf(const std::vector<Found>& found) {
    double strongest = -std::numeric_limits<double>::infinity();
    for (const Found& face : found)
        strongest = std::max(strongest, face.confidence);
    return strongest;
}

// Widest face wins, earliest on ties, among those not far weaker than the strongest.
std::optional<PixelBox> widest(const std::vector<Found>& found) {
    if (found.empty())
        return std::nullopt;
    const double strongest = strongestOf(found);
    const Found* chosen = nullptr;
    for (const Found& face : found) {
        if (face.confidence < strongest - FaceAnalyzer::confidenceMargin)
            continue;
        if (!chosen || face.box.width > chosen->box.width)
            chosen = &face;
    }
    return chosen->box;
}

// The region around a face seen before (the previous frame's, or a weak find of this one),
// on a copy scaled so that face has the side the detector is quickest and surest at;
// nothing unless a convincing face is there.
std::optional<PixelBox> searchNear(const PixelBuffer& frame, const PixelBox& previous) {
    const PixelPoint middle = centre(previous);
    const double half = FaceAnalyzer::trackedRegion * previous.width / 2;
    const auto left = static_cast<int>(std::floor(middle.x - half));
    const auto top = static_cast<int>(std::floor(middle.y - half));
    const auto side = static_cast<int>(std::ceil(2 * half));
    const PixelBuffer region = frame.region(left, top, side, side);
    if (!region.isValid())
        return std::nullopt;
    const double scale = std::min(FaceAnalyzer::trackedFaceSide / previous.width, 2.0);
    GreyImage copy = GreyImage::scaledFrom(region, scale);
    copy.equalize();
    std::vector<Found> found;
    addFaces(FaceDetector::detect(copy), std::max(left, 0), std::max(top, 0),
             static_cast<double>(copy.width) / region.width,
             static_cast<double>(copy.height) / region.height, found);
    if (found.empty() || strongestOf(found) < FaceAnalyzer::convincingConfidence)
        return std::nullopt;
    return widest(found);
}

// The whole frame. It is first searched as the detector searches a picture it is given whole,
// down to the narrowest face a person at a desk shows, so every face the detector finds
// there is found here too. A convincing face ends the search. Otherwise grey copies with
// their brightness spread are searched from coarse to fine, for faces in dim light and
// narrower ones; a weak face is looked at again on its own, at the size the detector sees
// best, where a real face scores high and a pattern that only looks like one stays weak.
bool searchedPlainly(const PixelBuffer& frame) {
    return std::max(frame.width, frame.height) <= FaceAnalyzer::largestPlainSearch;
}

// The faces of the frame searched as the detector searches a picture given whole.
std::vector<Found> searchPlain(const PixelBuffer& frame) {
    std::vector<Found> found;
    int skip = 0;
    while (FaceDetector::narrowestFaceAfter(skip + 1) <=
           FaceAnalyzer::narrowestDeskFace * frame.width)
        ++skip;
    addFaces(FaceDetector::detectAsShipped(frame, skip), 0, 0, 1, 1, found);
    return found;
}

std::optional<PixelBox> searchWhole(const PixelBuffer& frame) {
    std::vector<Found> found;
    if (searchedPlainly(frame)) {
        found = searchPlain(frame);
        if (!found.empty() && strongestOf(found) >= FaceAnalyzer::convincingConfidence)
            return widest(found);
    }
    const int longSide = std::max(frame.width, frame.height);
    constexpr std::size_t tiers = std::size(FaceAnalyzer::detectionSides);
    std::optional<PixelBox> checked; // the weak face last looked at on its own
    double previousSide = 0;
    for (std::size_t tier = 0; tier < tiers; ++tier) {
        const bool last = tier + 1 == tiers;
        // The finest copy is the costliest: only worth it when nothing was found.
        if (last && !found.empty())
            break;
        const double side =
            std::min<double>(FaceAnalyzer::detectionSides[tier], (last ? 2.0 : 1.0) * longSide);
        if (side <= previousSide)
            continue;
        previousSide = side;
        GreyImage copy = GreyImage::scaledFrom(frame, side / longSide);
        copy.equalize();
        addFaces(FaceDetector::detect(copy, FaceAnalyzer::detectionLevels[tier]), 0, 0,
                 static_cast<double>(copy.width) / frame.width,
                 static_cast<double>(copy.height) / frame.height, found);
        if (found.empty())
            continue;
        if (strongestOf(found) >= FaceAnalyzer::convincingConfidence)
            break;
        const PixelBox candidate = *widest(found);
        if (checked && change(candidate, *checked) == 0)
            continue;
        checked = candidate;
        if (const std::optional<PixelBox> confirmed = searchNear(frame, candidate))
            return confirmed;
    }
    return widest(found);
}

// The landmarks placed from `start`, then again from the box their own extent gives until
// that box settles; the points and that box.
struct Fit {
    std::vector<PixelPoint> points;
    PixelBox box;
};

std::optional<Fit> fitLandmarks(const PixelBuffer& frame, const LandmarkModel& landmarks,
                                PixelBox start) {
    Fit fit{landmarks.predict(frame, start), start};
    for (int i = 0;; ++i) {
        const PixelBox refit = boxFromLandmarks(landmarks.meanShape(), fit.points);
        if (!isUsable(refit))
            return std::nullopt;
        const bool settled = change(refit, fit.box) < FaceAnalyzer::settledChange;
        fit.box = refit;
        if (settled || i == FaceAnalyzer::refits)
            return fit;
        fit.points = landmarks.predict(frame, refit);
    }
}

// Whether the detector's box `found` is much where and as large as the one it gave for the
// previous frame's face: then the face has not moved, and its landmarks can start from
// that face's settled box rather than from the detector's.
bool stayedPut(const PixelBox& found, const PixelBox& before) {
    const PixelPoint a = centre(found);
    const PixelPoint b = centre(before);
    return std::hypot(a.x - b.x, a.y - b.y) < 0.08 * before.width &&
           std::abs(found.width / before.width - 1) < 0.1;
}

} // namespace

std::optional<HeadMeasurement> FaceAnalyzer::measure(const PixelBuffer& frame) {
    const std::shared_ptr<FaceModel> model = FaceModel::acquire();
    return measure(frame, *model);
}

std::optional<HeadMeasurement> FaceAnalyzer::measure(const PixelBuffer& frame,
                                                     const FaceModel& model) {
    FaceTrack none;
    return measure(frame, model, none);
}

std::optional<HeadMeasurement> FaceAnalyzer::measure(const PixelBuffer& frame,
                                                     const FaceModel& model, FaceTrack& track) {
    FaceTrack previous;
    if (track.frameWidth == frame.width && track.frameHeight == frame.height)
        previous = track;
    track.reset();
    if (!frame.isValid())
        return std::nullopt;

    std::optional<PixelBox> found;
    PixelBox start;
    const bool plainOnly = previous.nobody && searchedPlainly(frame);
    if (previous.box && (found = searchNear(frame, *previous.box)))
        start = stayedPut(*found, previous.found) ? *previous.box : *found;
    else if ((found = plainOnly ? widest(searchPlain(frame)) : searchWhole(frame)))
        start = *found;
    else {
        track.nobody = true;
        track.frameWidth = frame.width;
        track.frameHeight = frame.height;
        return std::nullopt;
    }

    const LandmarkModel* landmarks = model.landmarks();
    if (!landmarks || landmarks->pointCount() != 68)
        return measurementOf(*found, std::nullopt, std::nullopt, frame.width, frame.height);
    // The landmarks depend on the box they start from, and the detector's boxes come in
    // coarse steps of size; starting again from the box of the landmarks themselves makes
    // the result follow the face rather than the step the detector happened to take.
    const std::optional<Fit> fit = fitLandmarks(frame, *landmarks, start);
    if (!fit)
        return measurementOf(*found, std::nullopt, std::nullopt, frame.width, frame.height);
    track.box = fit->box;
    track.found = *found;
    track.frameWidth = frame.width;
    track.frameHeight = frame.height;
    return measurementOf(fit->box, centroid(fit->points, kFirstEyeStart),
                         centroid(fit->points, kSecondEyeStart), frame.width, frame.height);
}

HeadMeasurement FaceAnalyzer::measurementOf(const PixelBox& box,
                                            std::optional<PixelPoint> leftPupil,
                                            std::optional<PixelPoint> rightPupil, int width,
                                            int height) {
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
