// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PhotoFrames.h"
#include "Tisko/Camera/FaceAnalyzer.h"
#include "Tisko/Camera/FaceDetector.h"
#include "Tisko/Camera/GreyImage.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

using namespace tisko;

namespace {

struct AnalyzerFixture : ::testing::Test {
    static inline std::shared_ptr<FaceModel> model;
    static void SetUpTestSuite() { model = FaceModel::acquire(); }
    static void TearDownTestSuite() { model.reset(); }

    static QImage photo(const char* name) {
        QImage image = test::loadPhoto(QString::fromLatin1(name));
        EXPECT_FALSE(image.isNull()) << name << ": run tests/data/fetch-photos";
        return image;
    }
    static std::optional<HeadMeasurement> measure(const QImage& frame) {
        return FaceAnalyzer::measure(test::viewOf(frame), *model);
    }
};

// A photograph with the middle of its face, where the detector finds it, and the face
// width it measures unscaled in a frame 640 pixels wide.
struct Portrait {
    QImage photo;
    QPointF face;
    double unit = 0;

    Portrait(QImage image, const FaceModel& model)
        : photo(std::move(image))
        , face(photo.width() / 2.0, photo.height() / 2.0) {
        GreyImage grey = GreyImage::scaledFrom(test::viewOf(photo), 1.0);
        grey.equalize();
        if (const std::vector<FaceCandidate> faces = FaceDetector::detect(grey); !faces.empty())
            face = QPointF(faces[0].left + faces[0].width / 2, faces[0].top + faces[0].height / 2);
        const QImage frame =
            test::composeFrame(photo, QSize(640, 640), 1.0, face, QPointF(320, 320));
        if (const auto m = FaceAnalyzer::measure(test::viewOf(frame), model))
            unit = m->faceWidth;
    }

    // A frame of `size` showing the face about `width` of the frame wide, its middle at
    // (x, y) in fractions of the frame.
    QImage frame(QSize size, double width, double x = 0.5, double y = 0.45,
                 double degrees = 0) const {
        return test::composeFrame(photo, size, width * size.width() / (unit * 640), face,
                                  QPointF(x * size.width(), y * size.height()), degrees);
    }
};

// A frame of `width` × `height` in `format` whose pixels have the brightness `level(x, y)`
// (colour pixels spread around it, so the plain mean is the level).
struct Frame {
    std::vector<std::uint8_t> bytes;
    PixelBuffer view;

    template <typename Level> Frame(int width, int height, PixelFormat format, Level level) {
        const int bpp = PixelBuffer::bytesPerPixel(format);
        const int stride = width * bpp + 8; // rows padded, as drivers do
        bytes.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), 0xEE);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < bpp; ++c) // grey, or -3, 0, +3 (and alpha)
                    bytes[static_cast<std::size_t>(y * stride + x * bpp + c)] =
                        static_cast<std::uint8_t>(level(x, y) +
                                                  (bpp == 1 ? 0 : 3 * std::min(c, 2) - 3));
        view = PixelBuffer{bytes.data(), width, height, stride, format};
    }
};

int at(const GreyImage& image, int x, int y) {
    return image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                        static_cast<std::size_t>(x)];
}

} // namespace

TEST(FaceAnalyzerGeometry, valuesAreFractionsOfTheFrameWithYUpwardAndEyesNeedTwoPupils) {
    const PixelBox box{384, 144, 320, 288}; // 0.3, 0.2, 0.25 and 0.4 of 1280 × 720
    const PixelPoint left{480, 300}, right{608, 328.8};
    const HeadMeasurement m = FaceAnalyzer::measurementOf(box, left, right, 1280, 720);
    EXPECT_DOUBLE_EQ(m.faceWidth, 0.25);
    EXPECT_DOUBLE_EQ(m.faceHeight, 0.4);
    EXPECT_DOUBLE_EQ(m.faceY, 1.0 - 0.4); // top at 0.2 from the top, half height below it
    EXPECT_NEAR(*m.eyeDistance, std::hypot(128.0, 28.8) / 1280, 1e-12); // tilted eyes
    EXPECT_FALSE(FaceAnalyzer::measurementOf(box, left, left, 1280, 720).eyeDistance);
    EXPECT_FALSE(FaceAnalyzer::measurementOf(box, std::nullopt, right, 1280, 720).eyeDistance);
}

TEST_F(AnalyzerFixture, theWidestOfTwoFacesWins) {
    const QImage hopper = photo("grace_hopper.jpg");
    const QImage alone =
        test::composeFrame(hopper, QSize(1280, 720), 1.0, QPointF(256, 300), QPointF(900, 360));
    const auto wide = measure(alone);
    ASSERT_TRUE(wide);
    QImage both = alone;
    QPainter(&both).drawImage(QRectF(40, 200, 256, 300), hopper);
    const auto m = measure(both);
    ASSERT_TRUE(m);
    EXPECT_NEAR(m->faceWidth, wide->faceWidth, 0.02 * wide->faceWidth);
    // Mirrored, the narrow face (half as wide) comes first in reading order: the answer
    // does not change.
    const auto mirrored = measure(both.mirrored(true, false));
    ASSERT_TRUE(mirrored);
    EXPECT_NEAR(mirrored->faceWidth, wide->faceWidth, 0.1 * wide->faceWidth);
}

TEST_F(AnalyzerFixture, noFaceInACatAWallOrAnEmptyOrHugeFrameAndNoCrash) {
    EXPECT_FALSE(measure(photo("chelsea.png")));
    EXPECT_FALSE(measure(photo("brick.png")));
    const std::uint8_t pixel[4] = {1, 2, 3, 4};
    EXPECT_FALSE(FaceAnalyzer::measure(PixelBuffer{pixel, 1, 1, 0, PixelFormat::Bgra32}, *model))
        << "stride too short";
    std::vector<std::uint8_t> huge(std::size_t{16000} * 16000, 100);
    EXPECT_FALSE(FaceAnalyzer::measure(
        PixelBuffer{huge.data(), 16000, 16000, 16000, PixelFormat::Grey8}, *model));
}

TEST_F(AnalyzerFixture, findsFacesFromAnEighthToTwoFifthsOfTheWidthBrightOrDark) {
    for (const char* name : {"grace_hopper.jpg", "astronaut.png"}) {
        const Portrait face(photo(name), *model);
        ASSERT_GT(face.unit, 0) << name;
        for (QSize size : {QSize(1280, 720), QSize(640, 480)}) {
            for (double width : {0.12, 0.17, 0.25, 0.4}) {
                SCOPED_TRACE(std::string(name) + " " + std::to_string(size.width()) + " " +
                             std::to_string(width));
                const QImage frame = face.frame(size, width);
                const auto m = measure(frame);
                ASSERT_TRUE(m && m->eyeDistance);
                EXPECT_NEAR(m->faceWidth, width, 0.1 * width);
                // Right side up: the face, above the frame's middle, measures above 0.5.
                EXPECT_GT(m->faceY, 0.5);
                EXPECT_GT(*m->eyeDistance, 0.25 * m->faceWidth);
                EXPECT_LT(*m->eyeDistance, 0.6 * m->faceWidth);
                if (width == 0.17 || width == 0.25)
                    continue;
                // A dark frame, as in a camera's first second, measures as the bright one.
                const auto dark = measure(test::darkened(frame, 0.25));
                ASSERT_TRUE(dark);
                EXPECT_NEAR(dark->faceWidth, m->faceWidth, 0.07 * m->faceWidth);
                EXPECT_NEAR(dark->faceY, m->faceY, 0.02);
                // A tenth of the frame lower, the face measures a tenth lower.
                const auto lower = measure(face.frame(size, width, 0.5, 0.55));
                ASSERT_TRUE(lower);
                EXPECT_NEAR(m->faceY - lower->faceY, 0.1, 0.01);
                // A head tilted to one side keeps its width.
                for (double degrees : {-15.0, 15.0}) {
                    const auto tilted = measure(face.frame(size, width, 0.5, 0.45, degrees));
                    ASSERT_TRUE(tilted) << degrees;
                    EXPECT_NEAR(tilted->faceWidth, m->faceWidth, 0.025 * m->faceWidth) << degrees;
                }
            }
        }
    }
}

// A session's frames after the first are searched around the face the frame before showed:
// they measure as a first frame would, and the whole frame is searched again when the face
// moved far or the frame changed size. A frame without a face ends the track.
TEST_F(AnalyzerFixture, followingFramesOfASessionMeasureAsAFirstFrameWould) {
    const QImage cat = test::composeFrame(photo("chelsea.png"), QSize(640, 480), 1.0, QPointF(0, 0),
                                          QPointF(0, 0));
    for (const char* name : {"grace_hopper.jpg", "astronaut.png"}) {
        const Portrait face(photo(name), *model);
        FaceTrack track;
        // The second size starts with the first one's track, whose box means nothing there.
        for (QSize size : {QSize(1280, 720), QSize(640, 480)}) {
            // Still, then swaying a little, then leaning a fifth of a face closer and lower,
            // then far to one side and far to the other.
            const QImage frames[] = {face.frame(size, 0.2),
                                     face.frame(size, 0.2),
                                     face.frame(size, 0.205, 0.51, 0.46),
                                     face.frame(size, 0.24, 0.53, 0.52),
                                     face.frame(size, 0.2, 0.25),
                                     face.frame(size, 0.2, 0.75)};
            int i = 0;
            for (const QImage& frame : frames) {
                SCOPED_TRACE(std::string(name) + " " + std::to_string(size.width()) + " frame " +
                             std::to_string(i++));
                const auto tracked = FaceAnalyzer::measure(test::viewOf(frame), *model, track);
                const auto fresh = measure(frame);
                ASSERT_TRUE(tracked && fresh && tracked->eyeDistance && fresh->eyeDistance);
                EXPECT_NEAR(tracked->faceWidth, fresh->faceWidth, 0.025 * fresh->faceWidth);
                EXPECT_NEAR(tracked->faceY, fresh->faceY, 0.03 * fresh->faceHeight);
                EXPECT_NEAR(*tracked->eyeDistance, *fresh->eyeDistance, 0.04 * *fresh->eyeDistance);
                EXPECT_TRUE(track.box);
            }
            EXPECT_EQ(track.frameWidth, size.width());
        }
        // A cat where the face was is no face, and nothing is remembered.
        EXPECT_FALSE(FaceAnalyzer::measure(test::viewOf(cat), *model, track));
        EXPECT_FALSE(track.box);
        EXPECT_FALSE(FaceAnalyzer::measure(PixelBuffer{}, *model, track));
    }
}

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
