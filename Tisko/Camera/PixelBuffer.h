// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>

namespace tisko {

// How the bytes of one pixel are laid out in a frame.
enum class PixelFormat { Grey8, Rgb24, Bgr24, Bgra32 };

// A view of one frame exactly as the camera delivered it: not owned, not rotated, not
// mirrored. Rows run top to bottom.
struct PixelBuffer {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t bytesPerLine = 0;
    PixelFormat format = PixelFormat::Bgra32;

    // Bytes of one pixel in the given format.
    static int bytesPerPixel(PixelFormat format) {
        switch (format) {
        case PixelFormat::Grey8:
            return 1;
        case PixelFormat::Rgb24:
        case PixelFormat::Bgr24:
            return 3;
        case PixelFormat::Bgra32:
            return 4;
        }
        return 4;
    }

    // Whether the view describes a non-empty picture whose rows fit their stride.
    bool isValid() const {
        return data != nullptr && width > 0 && height > 0 &&
               bytesPerLine >= static_cast<std::ptrdiff_t>(width) * bytesPerPixel(format);
    }

    // The part of the frame inside the given rectangle, clipped to the frame: a view of the
    // same pixels; invalid when nothing of the rectangle is inside.
    PixelBuffer region(int left, int top, int regionWidth, int regionHeight) const {
        const int x0 = left < 0 ? 0 : left;
        const int y0 = top < 0 ? 0 : top;
        const long long x1 = static_cast<long long>(left) + regionWidth;
        const long long y1 = static_cast<long long>(top) + regionHeight;
        const int right = x1 > width ? width : static_cast<int>(x1);
        const int bottom = y1 > height ? height : static_cast<int>(y1);
        if (!isValid() || right <= x0 || bottom <= y0)
            return PixelBuffer{nullptr, 0, 0, 0, format};
        return PixelBuffer{data + y0 * bytesPerLine +
                               static_cast<std::ptrdiff_t>(x0) * bytesPerPixel(format),
                           right - x0, bottom - y0, bytesPerLine, format};
    }

    // Brightness of one pixel, the plain mean of its three colours (0 to 255).
    int intensity(int x, int y) const {
        const std::uint8_t* p =
            data + y * bytesPerLine + static_cast<std::ptrdiff_t>(x) * bytesPerPixel(format);
        if (format == PixelFormat::Grey8)
            return p[0];
        return (p[0] + p[1] + p[2]) / 3;
    }
};

} // namespace tisko
