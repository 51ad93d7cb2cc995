#include "Tisko/Camera/FaceDetector.h"

#include <dlib/image_processing/frontal_face_detector.h>

#include <algorithm>
#include <cstring>

namespace tisko {

std::vector<FaceCandidate> FaceDetector::detect(const GreyImage& image) {
    std::vector<FaceCandidate> faces;
    if (image.width <= 0 || image.height <= 0)
        return faces;
    // Scanning changes the detector's buffers, so each thread has its own.
    thread_local dlib::frontal_face_detector detector = dlib::get_frontal_face_detector();

    dlib::array2d<unsigned char> picture(image.height, image.width);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(&picture[y][0], image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width),
                    static_cast<std::size_t>(image.width));

    std::vector<dlib::rect_detection> found;
    detector(picture, found);
    std::stable_sort(found.begin(), found.end(), [](const dlib::rect_detection& a, const dlib::rect_detection& b) {
        return a.detection_confidence > b.detection_confidence;
    });
    for (const dlib::rect_detection& d : found) {
        faces.push_back({static_cast<double>(d.rect.left()), static_cast<double>(d.rect.top()),
                         static_cast<double>(d.rect.right() - d.rect.left()),
                         static_cast<double>(d.rect.bottom() - d.rect.top()), d.detection_confidence});
    }
    return faces;
}

} // namespace tisko
