// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/FaceModel.h"
#include "Tisko/Camera/FaceTrack.h"
#include "Tisko/Camera/LandmarkModel.h"
#include "Tisko/Camera/PixelBuffer.h"
#include "TiskoCore/HeadMeasurement.h"

#include <optional>

namespace tisko {

// Turns one camera frame into the measurement of its widest face, or into nothing.
// Any thread may call it; what it remembers between the frames of a session is in the
// FaceTrack the session hands it. It stores no image and logs nothing.
class FaceAnalyzer {
public:
    FaceAnalyzer() = delete;

    // The widest face of `frame`: its box is refitted to the face's own landmarks, so the
    // values follow the face continuously rather than the detector's coarse box sizes.
    static std::optional<HeadMeasurement> measure(const PixelBuffer& frame, const FaceModel& model);
    // The same for one frame of a session: searched first around the face of the session's
    // previous frame, then whole if the face is not there; `track` then holds this frame's face.
    static std::optional<HeadMeasurement> measure(const PixelBuffer& frame, const FaceModel& model,
                                                  FaceTrack& track);
    // The same, holding the shared landmark model only for this call.
    static std::optional<HeadMeasurement> measure(const PixelBuffer& frame);

    // The four values of a face box and its two pupils, all in pixels of a picture of
    // `width` × `height`: fractions of the picture, origin at the lower left, y upward.
    // Without both pupils, or with both at one point, the eye distance is absent.
    static HeadMeasurement measurementOf(const PixelBox& box, std::optional<PixelPoint> leftPupil,
                                         std::optional<PixelPoint> rightPupil, int width,
                                         int height);

    // A whole frame is first searched as the detector searches a picture given whole, for
    // faces from this share of the frame's width up, when its longer side is at most
    // `largestPlainSearch` pixels (larger ones only on the copies below).
    static constexpr double narrowestDeskFace = 0.1;
    static constexpr int largestPlainSearch = 4096;
    // Longest sides of the grey copies with their brightness spread that a whole frame is
    // searched on next, coarse to fine, none larger than the frame but the last, which may
    // enlarge it a little so that its narrowest faces are `narrowestDeskFace` wide. The
    // detector finds faces from 80 pixels up; the finer copies search for the narrower
    // faces the coarser miss. Narrower faces than a person at a desk shows are not looked
    // for: enlarging a frame to find them cost more than all the other searches together.
    static constexpr int detectionSides[3] = {480, 667, 730};
    // How many levels of its pyramid the detector scans on each copy (0: all): the levels
    // left out hold faces that a coarser copy already searched for.
    static constexpr int detectionLevels[3] = {0, 3, 2};
    // A face this strong on a coarse copy ends the search there, and so does a weaker one
    // that is this strong when looked at again on its own; the last, most costly copy is
    // searched only when the others found no face at all. Around a session's previous face,
    // only a face this strong counts, so a weak find is checked against the whole frame.
    static constexpr double convincingConfidence = 0.5;
    // Detections this much weaker than the strongest one of the frame are taken for
    // patterns that only look like faces (a round badge, a poster's shadow).
    static constexpr double confidenceMargin = 1.0;
    // The region searched around a session's previous face, in widths of that face (the
    // face may move by more than half its width), and the side in pixels the face is given
    // there: a face that moved back by a sixth is still the detector's smallest, one that
    // came twice as close still fits, and the search stays cheap.
    static constexpr double trackedRegion = 2.2;
    static constexpr double trackedFaceSide = 96;
    // The landmarks are placed again from the box their own extent gives until that box moves
    // by less than this fraction of its side, at most `refits` times. Placing them again from
    // a settled box moves it by about 1 % at random (samples are whole pixels), so waiting
    // for less only adds placements.
    static constexpr double settledChange = 0.015;
    static constexpr int refits = 3;
};

} // namespace tisko
