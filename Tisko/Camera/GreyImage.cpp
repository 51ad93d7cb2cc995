#include "Tisko/Camera/GreyImage.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tisko {

namespace {

// Source span [first, last) of each destination cell along one axis, and the stride that
// keeps at most four samples per span.
struct Span {
    int first;
    int last;
    int step;
};

std::vector<Span> spans(int source, int destination) {
    std::vector<Span> result(static_cast<std::size_t>(destination));
    for (int i = 0; i < destination; ++i) {
        const auto first = static_cast<int>(static_cast<long long>(i) * source / destination);
        auto last = static_cast<int>(static_cast<long long>(i + 1) * source / destination);
        last = std::clamp(last, first + 1, source);
        result[static_cast<std::size_t>(i)] = {first, last, std::max(1, (last - first) / 4)};
    }
    return result;
}

} // namespace

GreyImage GreyImage::scaledFrom(const PixelBuffer& frame, double scale) {
    GreyImage image;
    if (!frame.isValid() || !(scale > 0))
        return image;
    image.width = std::max(1, static_cast<int>(std::lround(frame.width * scale)));
    image.height = std::max(1, static_cast<int>(std::lround(frame.height * scale)));
    image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));

    if (image.width > frame.width || image.height > frame.height) {
        std::uint8_t* out = image.pixels.data();
        const double sx = static_cast<double>(frame.width) / image.width;
        const double sy = static_cast<double>(frame.height) / image.height;
        for (int y = 0; y < image.height; ++y) {
            const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, frame.height - 1.0);
            const int y0 = static_cast<int>(fy);
            const int y1 = std::min(y0 + 1, frame.height - 1);
            const double wy = fy - y0;
            for (int x = 0; x < image.width; ++x) {
                const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, frame.width - 1.0);
                const int x0 = static_cast<int>(fx);
                const int x1 = std::min(x0 + 1, frame.width - 1);
                const double wx = fx - x0;
                const double top = frame.intensity(x0, y0) * (1 - wx) + frame.intensity(x1, y0) * wx;
                const double bottom = frame.intensity(x0, y1) * (1 - wx) + frame.intensity(x1, y1) * wx;
                *out++ = static_cast<std::uint8_t>(std::lround(top * (1 - wy) + bottom * wy));
            }
        }
        return image;
    }

    const std::vector<Span> columns = spans(frame.width, image.width);
    const std::vector<Span> rows = spans(frame.height, image.height);
    std::uint8_t* out = image.pixels.data();
    for (const Span& row : rows) {
        for (const Span& column : columns) {
            int sum = 0;
            int count = 0;
            for (int y = row.first; y < row.last; y += row.step) {
                for (int x = column.first; x < column.last; x += column.step) {
                    sum += frame.intensity(x, y);
                    ++count;
                }
            }
            *out++ = static_cast<std::uint8_t>(sum / count);
        }
    }
    return image;
}

void GreyImage::equalize() {
    if (pixels.empty())
        return;
    std::array<std::size_t, 256> histogram{};
    for (std::uint8_t p : pixels)
        ++histogram[p];
    std::size_t below = 0;
    std::size_t firstCount = 0;
    for (std::size_t count : histogram) {
        if (count != 0) {
            firstCount = count;
            break;
        }
    }
    const std::size_t total = pixels.size();
    if (total == firstCount)
        return; // a flat picture has nothing to spread
    std::array<std::uint8_t, 256> map{};
    for (std::size_t v = 0; v < 256; ++v) {
        below += histogram[v];
        const double level = below > firstCount
            ? static_cast<double>(below - firstCount) / static_cast<double>(total - firstCount) * 255.0
            : 0.0;
        map[v] = static_cast<std::uint8_t>(std::lround(level));
    }
    for (std::uint8_t& p : pixels)
        p = map[p];
}

double GreyImage::meanBrightness() const {
    if (pixels.empty())
        return 0;
    std::size_t sum = 0;
    for (std::uint8_t p : pixels)
        sum += p;
    return static_cast<double>(sum) / static_cast<double>(pixels.size());
}

} // namespace tisko
