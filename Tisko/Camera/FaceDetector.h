// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/GreyImage.h"
#include "Tisko/Camera/PixelBuffer.h"

#include <vector>

namespace tisko {

// One face found by the detector, in the pixels of the picture it searched.
struct FaceCandidate {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double confidence = 0; // the detector's score; 0 is its own acceptance line
};

// The HOG frontal-face detector (front, left, right and tilted views). Each thread keeps
// its own detector, so any thread may call it.
class FaceDetector {
public:
    FaceDetector() = delete;

    // Reads the detector's model, a few milliseconds the first time in a process and nothing
    // after; detect() does it when nothing did before.
    static void prepare();
    // The faces in `image`, strongest first. The detector scans the picture and copies of it
    // each five sixths of the one before; `levels` limits how many (0: down to the smallest
    // copy a face fits in), so a search can leave the wider faces to a coarser picture.
    static std::vector<FaceCandidate> detect(const GreyImage& image, int levels = 0);
    // The faces in `frame`, in its pixels, strongest first, found as the detector finds them
    // in a picture it is given whole: in its own grey (the plain mean of the colours, rounded
    // down), scanning the frame and its copies each five sixths of the one before, but from
    // the copy `skip` steps down, which leaves out the faces narrower than that copy's
    // smallest. Nothing is allocated when the frame has the size of the one before.
    static std::vector<FaceCandidate> detectAsShipped(const PixelBuffer& frame, int skip = 0);
    // Lets go of what the calling thread kept between frames (its detectors' buffers and
    // pictures), as a session ends.
    static void releaseBuffers();
    // The width in pixels of the narrowest face found on the copy `steps` steps down.
    static double narrowestFaceAfter(int steps);
    // The side in pixels of the smallest face the detector finds.
    static constexpr int smallestFace = 80;
};

} // namespace tisko
