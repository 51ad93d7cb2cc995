// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

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

// Brightness of one pixel times three (grey pixels count three times their value), so
// that sums of colour pixels need no division until the end.
template <int BytesPerPixel> int tripleBrightness(const std::uint8_t* p) {
    if constexpr (BytesPerPixel == 1)
        return 3 * p[0];
    else
        return p[0] + p[1] + p[2];
}

// The reduction of `frame` into one byte per cell of `columns` × `rows`: the mean brightness
// of the pixels sampled in it. Each sampled row is added once into per-column sums, then
// the sums of each cell's columns make its value.
template <int BytesPerPixel>
void reduce(const PixelBuffer& frame, const std::vector<Span>& columns,
            const std::vector<Span>& rows, std::uint8_t* out) {
    std::vector<int> offsets; // byte offset in a row of each sampled column, cell after cell
    std::vector<std::size_t> firstOf(columns.size() + 1);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        firstOf[i] = offsets.size();
        for (int x = columns[i].first; x < columns[i].last; x += columns[i].step)
            offsets.push_back(x * BytesPerPixel);
    }
    firstOf[columns.size()] = offsets.size();
    std::vector<int> sums(offsets.size());
    for (const Span& row : rows) {
        std::fill(sums.begin(), sums.end(), 0);
        int lines = 0;
        for (int y = row.first; y < row.last; y += row.step) {
            const std::uint8_t* line = frame.data + y * frame.bytesPerLine;
            for (std::size_t k = 0; k < offsets.size(); ++k)
                sums[k] += tripleBrightness<BytesPerPixel>(line + offsets[k]);
            ++lines;
        }
        for (std::size_t i = 0; i < columns.size(); ++i) {
            int sum = 0;
            for (std::size_t k = firstOf[i]; k < firstOf[i + 1]; ++k)
                sum += sums[k];
            const int count = 3 * lines * static_cast<int>(firstOf[i + 1] - firstOf[i]);
            *out++ = static_cast<std::uint8_t>((sum + count / 2) / count);
        }
    }
}

// The enlargement of `frame` to `width` × `height` by linear interpolation, in fixed point
// (weights in 256ths); the two source rows in use are kept as brightness.
template <int BytesPerPixel>
void enlarge(const PixelBuffer& frame, int width, int height, std::uint8_t* out) {
    struct Tap {
        int first;
        int second;
        int weight; // of the second, in 256ths
    };
    const auto taps = [](int source, int destination) {
        std::vector<Tap> result(static_cast<std::size_t>(destination));
        const double step = static_cast<double>(source) / destination;
        for (int i = 0; i < destination; ++i) {
            const double f = std::clamp((i + 0.5) * step - 0.5, 0.0, source - 1.0);
            const int first = static_cast<int>(f);
            result[static_cast<std::size_t>(i)] = {
                first, std::min(first + 1, source - 1),
                static_cast<int>(std::lround((f - first) * 256))};
        }
        return result;
    };
    const std::vector<Tap> across = taps(frame.width, width);
    const std::vector<Tap> down = taps(frame.height, height);
    std::vector<int> upper(static_cast<std::size_t>(frame.width)), lower(upper.size());
    int upperRow = -1, lowerRow = -1;
    const auto load = [&](int y, std::vector<int>& row) {
        const std::uint8_t* line = frame.data + y * frame.bytesPerLine;
        for (int x = 0; x < frame.width; ++x)
            row[static_cast<std::size_t>(x)] =
                tripleBrightness<BytesPerPixel>(line + x * BytesPerPixel);
    };
    for (const Tap& v : down) {
        if (v.first != upperRow) {
            if (v.first == lowerRow) {
                std::swap(upper, lower);
                lowerRow = -1;
            } else {
                load(v.first, upper);
            }
            upperRow = v.first;
        }
        if (v.second != lowerRow) {
            load(v.second, lower);
            lowerRow = v.second;
        }
        for (const Tap& h : across) {
            const auto at = [](const std::vector<int>& row, const Tap& t) {
                return row[static_cast<std::size_t>(t.first)] * (256 - t.weight) +
                       row[static_cast<std::size_t>(t.second)] * t.weight;
            };
            const long long value = static_cast<long long>(at(upper, h)) * (256 - v.weight) +
                                    static_cast<long long>(at(lower, h)) * v.weight;
            constexpr long long scale = 3LL * 256 * 256;
            *out++ = static_cast<std::uint8_t>((value + scale / 2) / scale);
        }
    }
}

} // namespace

GreyImage GreyImage::scaledFrom(const PixelBuffer& frame, double scale) {
    GreyImage image;
    if (!frame.isValid() || !(scale > 0))
        return image;
    image.width = std::max(1, static_cast<int>(std::lround(frame.width * scale)));
    image.height = std::max(1, static_cast<int>(std::lround(frame.height * scale)));
    image.pixels.resize(static_cast<std::size_t>(image.width) *
                        static_cast<std::size_t>(image.height));

    std::uint8_t* out = image.pixels.data();
    if (image.width > frame.width || image.height > frame.height) {
        switch (frame.format) {
        case PixelFormat::Grey8:
            enlarge<1>(frame, image.width, image.height, out);
            break;
        case PixelFormat::Rgb24:
        case PixelFormat::Bgr24:
            enlarge<3>(frame, image.width, image.height, out);
            break;
        case PixelFormat::Bgra32:
            enlarge<4>(frame, image.width, image.height, out);
            break;
        }
        return image;
    }
    const std::vector<Span> columns = spans(frame.width, image.width);
    const std::vector<Span> rows = spans(frame.height, image.height);
    switch (frame.format) {
    case PixelFormat::Grey8:
        reduce<1>(frame, columns, rows, out);
        break;
    case PixelFormat::Rgb24:
    case PixelFormat::Bgr24:
        reduce<3>(frame, columns, rows, out);
        break;
    case PixelFormat::Bgra32:
        reduce<4>(frame, columns, rows, out);
        break;
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
                                 ? static_cast<double>(below - firstCount) /
                                       static_cast<double>(total - firstCount) * 255.0
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
