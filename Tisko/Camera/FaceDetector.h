#pragma once

#include "Tisko/Camera/GreyImage.h"

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

    // Unpacks the detector's model, which takes about half a second the first time in a
    // process and nothing after; detect() does it when nothing did before.
    static void prepare();
    // The faces in `image`, strongest first. The detector scans the picture and copies of it
    // each five sixths of the one before; `levels` limits how many (0: down to the smallest
    // copy a face fits in), so a search can leave the wider faces to a coarser picture.
    static std::vector<FaceCandidate> detect(const GreyImage& image, int levels = 0);
    // The side in pixels of the smallest face the detector finds.
    static constexpr int smallestFace = 80;
};

} // namespace tisko
