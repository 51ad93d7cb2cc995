// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/FaceDetector.h"

#include <dlib/image_processing/frontal_face_detector.h>
#include <dlib/image_transforms/image_pyramid.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <streambuf>

namespace tisko {

namespace {

#include "FaceDetectorData.inc"

// A read-only stream over bytes in memory.
struct ByteStream : std::streambuf {
    ByteStream(const unsigned char* bytes, std::size_t size) {
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(bytes));
        setg(begin, begin, begin + size);
    }
};

// The detector as dlib ships it, read from its plain serialised form made at build time
// (dlib's own compressed form costs most of a second of CPU to unpack); read once per
// process, and every thread copies it.
const dlib::frontal_face_detector& shipped() {
    static const dlib::frontal_face_detector detector = [] {
        ByteStream bytes(shippedDetectorBytes, sizeof shippedDetectorBytes);
        std::istream in(&bytes);
        dlib::frontal_face_detector read;
        dlib::deserialize(read, in);
        return read;
    }();
    return detector;
}

// The face detector limited to `levels` levels of its picture pyramid (0: all). Making one
// prepares its filters again, so each is made once per process and every thread copies it.
const dlib::frontal_face_detector& limitedDetector(int levels) {
    static std::mutex mutex;
    static std::map<int, dlib::frontal_face_detector> made;
    const dlib::frontal_face_detector& full = shipped();
    if (levels <= 0)
        return full;
    std::lock_guard lock(mutex);
    const auto at = made.find(levels);
    if (at != made.end())
        return at->second;
    dlib::frontal_face_detector::image_scanner_type scanner;
    scanner.copy_configuration(full.get_scanner());
    scanner.set_max_pyramid_levels(static_cast<unsigned long>(levels));
    std::vector<dlib::frontal_face_detector::feature_vector_type> weights;
    for (unsigned long i = 0; i < full.num_detectors(); ++i)
        weights.push_back(full.get_w(i));
    return made
        .emplace(levels, dlib::frontal_face_detector(scanner, full.get_overlap_tester(), weights))
        .first->second;
}

// The detector's rectangles as candidates, strongest first, each corner moved by `place`.
template <typename Place>
std::vector<FaceCandidate> candidatesOf(std::vector<dlib::rect_detection>& found, Place place) {
    std::stable_sort(found.begin(), found.end(),
                     [](const dlib::rect_detection& a, const dlib::rect_detection& b) {
                         return a.detection_confidence > b.detection_confidence;
                     });
    std::vector<FaceCandidate> faces;
    faces.reserve(found.size());
    for (const dlib::rect_detection& d : found) {
        const dlib::drectangle r = place(dlib::drectangle(d.rect));
        faces.push_back({r.left(), r.top(), r.right() - r.left(), r.bottom() - r.top(),
                         d.detection_confidence});
    }
    return faces;
}

// The grey of each pixel as dlib converts colour: the mean of the three, rounded down.
template <int BytesPerPixel>
void greyRows(const PixelBuffer& frame, dlib::array2d<unsigned char>& picture) {
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* in = frame.data + static_cast<std::ptrdiff_t>(y) * frame.bytesPerLine;
        unsigned char* out = &picture[y][0];
        for (int x = 0; x < frame.width; ++x, in += BytesPerPixel) {
            if constexpr (BytesPerPixel == 1)
                out[x] = in[0];
            else
                out[x] = static_cast<unsigned char>((in[0] + in[1] + in[2]) / 3);
        }
    }
}

// What a thread keeps between frames: the detectors change their buffers as they scan, so
// each thread has its own (one per depth), and the pictures they scan.
struct ThreadBuffers {
    dlib::frontal_face_detector shippedDetector = shipped();
    dlib::array2d<unsigned char> picture, reduced, spare, copy;
    std::map<int, dlib::frontal_face_detector> limited;
};
thread_local std::unique_ptr<ThreadBuffers> t_buffers;

ThreadBuffers& threadBuffers() {
    if (!t_buffers)
        t_buffers = std::make_unique<ThreadBuffers>();
    return *t_buffers;
}

} // namespace

void FaceDetector::releaseBuffers() {
    t_buffers.reset();
}

double FaceDetector::narrowestFaceAfter(int steps) {
    // The detector's window is 80 pixels with a margin around the face it reports.
    return 73.0 * std::pow(6.0 / 5.0, std::max(steps, 0));
}

std::vector<FaceCandidate> FaceDetector::detectAsShipped(const PixelBuffer& frame, int skip) {
    if (!frame.isValid())
        return {};
    ThreadBuffers& buffers = threadBuffers();
    dlib::array2d<unsigned char>& picture = buffers.picture;
    dlib::array2d<unsigned char>& reduced = buffers.reduced;
    dlib::array2d<unsigned char>& spare = buffers.spare;
    picture.set_size(frame.height, frame.width);
    switch (frame.format) {
    case PixelFormat::Grey8:
        greyRows<1>(frame, picture);
        break;
    case PixelFormat::Rgb24:
    case PixelFormat::Bgr24:
        greyRows<3>(frame, picture);
        break;
    case PixelFormat::Bgra32:
        greyRows<4>(frame, picture);
        break;
    }
    // The copies the detector would make itself, made the same way.
    const dlib::pyramid_down<6> pyramid;
    dlib::array2d<unsigned char>* searched = &picture;
    int steps = 0;
    for (; steps < std::max(skip, 0); ++steps) {
        dlib::array2d<unsigned char>& next = searched == &reduced ? spare : reduced;
        pyramid(*searched, next);
        if (next.nr() < 80 || next.nc() < 80)
            break;
        searched = &next;
    }
    std::vector<dlib::rect_detection> found;
    buffers.shippedDetector(*searched, found);
    return candidatesOf(found, [&](const dlib::drectangle& r) {
        return steps == 0 ? r : pyramid.rect_up(r, static_cast<unsigned int>(steps));
    });
}

void FaceDetector::prepare() {
    shipped();
}

std::vector<FaceCandidate> FaceDetector::detect(const GreyImage& image, int levels) {
    std::vector<FaceCandidate> faces;
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() <
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return faces;
    ThreadBuffers& buffers = threadBuffers();
    levels = std::max(levels, 0);
    auto at = buffers.limited.find(levels);
    if (at == buffers.limited.end())
        at = buffers.limited.emplace(levels, limitedDetector(levels)).first;
    dlib::frontal_face_detector& detector = at->second;

    dlib::array2d<unsigned char>& picture = buffers.copy;
    picture.set_size(image.height, image.width);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(&picture[y][0],
                    image.pixels.data() +
                        static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width),
                    static_cast<std::size_t>(image.width));

    std::vector<dlib::rect_detection> found;
    detector(picture, found);
    return candidatesOf(found, [](const dlib::drectangle& r) { return r; });
}

} // namespace tisko
