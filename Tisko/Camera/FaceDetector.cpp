#include "Tisko/Camera/FaceDetector.h"

#include <dlib/image_processing/frontal_face_detector.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace tisko {

namespace {

// The detector as dlib ships it. Unpacking its embedded model takes about half a second,
// so it is unpacked once per process (about 2 MB) and every thread copies it.
const dlib::frontal_face_detector& shipped() {
    static const dlib::frontal_face_detector detector = dlib::get_frontal_face_detector();
    return detector;
}

// The face detector limited to `levels` levels of its picture pyramid (0: all).
dlib::frontal_face_detector limitedDetector(int levels) {
    const dlib::frontal_face_detector& full = shipped();
    if (levels <= 0)
        return full;
    dlib::frontal_face_detector::image_scanner_type scanner;
    scanner.copy_configuration(full.get_scanner());
    scanner.set_max_pyramid_levels(static_cast<unsigned long>(levels));
    std::vector<dlib::frontal_face_detector::feature_vector_type> weights;
    for (unsigned long i = 0; i < full.num_detectors(); ++i)
        weights.push_back(full.get_w(i));
    return dlib::frontal_face_detector(scanner, full.get_overlap_tester(), weights);
}

} // namespace

void FaceDetector::prepare() {
    shipped();
}

std::vector<FaceCandidate> FaceDetector::detect(const GreyImage& image, int levels) {
    std::vector<FaceCandidate> faces;
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() <
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return faces;
    // Scanning changes the detector's buffers, so each thread has its own, one per depth.
    thread_local std::map<int, dlib::frontal_face_detector> detectors;
    levels = std::max(levels, 0);
    auto at = detectors.find(levels);
    if (at == detectors.end())
        at = detectors.emplace(levels, limitedDetector(levels)).first;
    dlib::frontal_face_detector& detector = at->second;

    dlib::array2d<unsigned char> picture(image.height, image.width);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(&picture[y][0],
                    image.pixels.data() +
                        static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width),
                    static_cast<std::size_t>(image.width));

    std::vector<dlib::rect_detection> found;
    detector(picture, found);
    std::stable_sort(found.begin(), found.end(),
                     [](const dlib::rect_detection& a, const dlib::rect_detection& b) {
                         return a.detection_confidence > b.detection_confidence;
                     });
    for (const dlib::rect_detection& d : found) {
        faces.push_back({static_cast<double>(d.rect.left()), static_cast<double>(d.rect.top()),
                         static_cast<double>(d.rect.right() - d.rect.left()),
                         static_cast<double>(d.rect.bottom() - d.rect.top()),
                         d.detection_confidence});
    }
    return faces;
}

} // namespace tisko
