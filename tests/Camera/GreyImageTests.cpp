// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/GreyImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace tisko;

namespace {

// A frame of `width` × `height` in `format` whose pixels have the brightness `level(x, y)`
// (colour pixels as blue, green and red around it, so the plain mean is the level).
struct Frame {
    std::vector<std::uint8_t> bytes;
    PixelBuffer view;

    template <typename Level> Frame(int width, int height, PixelFormat format, Level level) {
        const int bpp = PixelBuffer::bytesPerPixel(format);
        const int stride = width * bpp + 8; // rows padded, as drivers do
        bytes.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), 0xEE);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int v = level(x, y);
                std::uint8_t* p = bytes.data() + static_cast<std::ptrdiff_t>(y) * stride + x * bpp;
                if (format == PixelFormat::Grey8) {
                    p[0] = static_cast<std::uint8_t>(v);
                } else {
                    p[0] = static_cast<std::uint8_t>(v - 3);
                    p[1] = static_cast<std::uint8_t>(v);
                    p[2] = static_cast<std::uint8_t>(v + 3);
                }
            }
        }
        view = PixelBuffer{bytes.data(), width, height, stride, format};
    }
};

int at(const GreyImage& image, int x, int y) {
    return image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                        static_cast<std::size_t>(x)];
}

} // namespace

TEST(GreyImageScaling, reductionAveragesEachCellInEveryPixelLayout) {
    for (PixelFormat format :
         {PixelFormat::Grey8, PixelFormat::Rgb24, PixelFormat::Bgr24, PixelFormat::Bgra32}) {
        // Dark left half, bright right half, and one bright 4×4 block in the dark.
        const Frame frame(1280, 720, format, [](int x, int y) {
            if (x >= 640)
                return 200;
            return x >= 100 && x < 104 && y >= 100 && y < 104 ? 180 : 20;
        });
        const GreyImage small = GreyImage::scaledFrom(frame.view, 0.25);
        ASSERT_EQ(small.width, 320);
        ASSERT_EQ(small.height, 180);
        EXPECT_EQ(at(small, 10, 10), 20);
        EXPECT_EQ(at(small, 159, 90), 20);
        EXPECT_EQ(at(small, 160, 90), 200);
        EXPECT_EQ(at(small, 319, 179), 200);
        EXPECT_EQ(at(small, 25, 25), 180); // the block covers exactly one cell
        EXPECT_EQ(at(small, 26, 25), 20);
        // A third: cells of three pixels straddle the edge and take its mean.
        const GreyImage third = GreyImage::scaledFrom(frame.view, 1.0 / 3);
        EXPECT_EQ(third.width, 427);
        EXPECT_EQ(at(third, 212, 50), 20);
        EXPECT_EQ(at(third, 214, 50), 200);
        EXPECT_EQ(at(third, 213, 50), (2 * 20 + 200) / 3) << "pixels 638 to 640";
    }
}

TEST(GreyImageScaling, enlargementInterpolatesBetweenPixelsAndKeepsTheEnds) {
    const Frame ramp(4, 2, PixelFormat::Bgra32, [](int x, int) { return 40 + 50 * x; });
    const GreyImage big = GreyImage::scaledFrom(ramp.view, 4);
    ASSERT_EQ(big.width, 16);
    ASSERT_EQ(big.height, 8);
    EXPECT_EQ(at(big, 0, 0), 40);
    EXPECT_EQ(at(big, 15, 7), 190);
    for (int y = 0; y < big.height; ++y) {
        for (int x = 1; x < big.width; ++x)
            EXPECT_GE(at(big, x, y), at(big, x - 1, y)) << x << "," << y;
        EXPECT_EQ(at(big, 8, y), at(big, 8, 0)); // no change down the picture
    }
    // Halfway between the second and third pixels: their mean.
    EXPECT_NEAR((at(big, 7, 3) + at(big, 8, 3)) / 2.0, 115, 1.0);
}

TEST(GreyImageScaling, regionsAreClippedToTheFrame) {
    const Frame frame(100, 50, PixelFormat::Rgb24, [](int x, int y) { return 10 + x + 2 * y; });
    const struct {
        int left, top, width, height;
        int clippedWidth, clippedHeight; // 0: nothing of the frame is inside
    } regions[] = {{10, 20, 30, 10, 30, 10},     {-10, -10, 30, 30, 20, 20},
                   {90, 40, 1000, 1000, 10, 10}, {100, 0, 10, 10, 0, 0},
                   {-20, 0, 20, 10, 0, 0},       {10, 10, 0, 5, 0, 0}};
    for (const auto& r : regions) {
        const PixelBuffer region = frame.view.region(r.left, r.top, r.width, r.height);
        ASSERT_EQ(region.isValid(), r.clippedWidth > 0) << r.left << "," << r.top;
        if (!region.isValid())
            continue;
        EXPECT_EQ(region.width, r.clippedWidth);
        EXPECT_EQ(region.height, r.clippedHeight);
        const int x = std::max(r.left, 0), y = std::max(r.top, 0);
        EXPECT_EQ(region.intensity(0, 0), 10 + x + 2 * y);
        EXPECT_EQ(region.intensity(region.width - 1, region.height - 1),
                  10 + x + region.width - 1 + 2 * (y + region.height - 1));
    }
    EXPECT_FALSE(PixelBuffer{}.region(0, 0, 10, 10).isValid());
    EXPECT_EQ(GreyImage::scaledFrom(frame.view.region(0, 60, 10, 10), 1.0).pixels.size(), 0u);
}

TEST(GreyImageScaling, equalizingSpreadsADarkPictureOverTheWholeRange) {
    const Frame dark(64, 64, PixelFormat::Grey8, [](int x, int) { return 10 + x / 2; });
    GreyImage image = GreyImage::scaledFrom(dark.view, 1.0);
    image.equalize();
    EXPECT_EQ(at(image, 0, 0), 0);
    EXPECT_EQ(at(image, 63, 0), 255);
    EXPECT_GT(image.meanBrightness(), 100);

    const Frame flat(16, 16, PixelFormat::Grey8, [](int, int) { return 77; });
    GreyImage same = GreyImage::scaledFrom(flat.view, 1.0);
    same.equalize();
    EXPECT_EQ(at(same, 5, 5), 77);
}
