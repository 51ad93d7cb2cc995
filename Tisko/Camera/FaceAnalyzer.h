#pragma once

#include "Tisko/Camera/FaceModel.h"
#include "Tisko/Camera/LandmarkModel.h"
#include "Tisko/Camera/PixelBuffer.h"
#include "TiskoCore/HeadMeasurement.h"

#include <optional>

namespace tisko {

// Turns one camera frame into the measurement of its widest face, or into nothing.
// Stateless; any thread may call it. It stores no image and logs nothing.
class FaceAnalyzer {
public:
    FaceAnalyzer() = delete;

    // The widest face of `frame`: its box is refitted to the face's own landmarks, so the
    // values follow the face continuously rather than the detector's coarse box sizes.
    static std::optional<HeadMeasurement> measure(const PixelBuffer& frame, const FaceModel& model);
    // The same, holding the shared landmark model only for this call.
    static std::optional<HeadMeasurement> measure(const PixelBuffer& frame);

    // The four values of a face box and its two pupils, all in pixels of a picture of
    // `width` × `height`: fractions of the picture, origin at the lower left, y upward.
    // Without both pupils, or with both at one point, the eye distance is absent.
    static HeadMeasurement measurementOf(const PixelBox& box, std::optional<PixelPoint> leftPupil,
                                         std::optional<PixelPoint> rightPupil, int width, int height);

    // Longest sides of the grey copies the detector searches, coarse to fine, each at most
    // twice the frame's. The detector finds faces from 80 pixels up, so the finest copy
    // finds faces down to a sixteenth of the picture's longest side.
    static constexpr int detectionSides[3] = {320, 640, 1280};
    // A face this strong on a coarse copy ends the search there.
    static constexpr double convincingConfidence = 0.5;
    // Detections this much weaker than the strongest one of the frame are taken for
    // patterns that only look like faces (a round badge, a poster's shadow).
    static constexpr double confidenceMargin = 1.0;
    // How many times the landmarks are placed again from the box their own extent gives.
    static constexpr int refits = 2;
};

} // namespace tisko
