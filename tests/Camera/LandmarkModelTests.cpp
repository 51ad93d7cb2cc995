// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The landmark model's own reader and cascade against dlib's shape_predictor reading the
// same file: from the same box on the same pixels both must place the same 68 points.
// The flat copy mapped from the cache folder must place them where the file's model does.
// This is the only test that includes dlib's predictor (it is slow to compile).
#include "PhotoFrames.h"
#include "Tisko/Camera/FaceDetector.h"
#include "Tisko/Camera/FaceModel.h"
#include "Tisko/Camera/GreyImage.h"
#include "Tisko/Camera/LandmarkModelCache.h"
#include "Tisko/Camera/LandmarkModelParser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <dlib/image_processing/shape_predictor.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>
#include <tuple>

using namespace tisko;

namespace {

// An integer box, as dlib's rectangles are: the unit square maps onto (left, top) to
// (right, bottom).
struct Box {
    long left, top, right, bottom;
};

struct PredictorFixture : ::testing::Test {
    static inline std::unique_ptr<LandmarkModel> ours;
    static inline std::unique_ptr<dlib::shape_predictor> theirs;
    static inline std::unique_ptr<QTemporaryDir> cacheDir;
    static inline std::unique_ptr<LandmarkModel> mapped;

    static void SetUpTestSuite() {
        QString error;
        ours = LandmarkModelParser::load(FaceModel::defaultPath(), &error);
        cacheDir = std::make_unique<QTemporaryDir>();
        mapped = LandmarkModelCache::load(
            FaceModel::defaultPath(), cacheDir->filePath(QStringLiteral("face.landmarks")), &error);
        theirs = std::make_unique<dlib::shape_predictor>();
        dlib::deserialize(FaceModel::defaultPath().toStdString()) >> *theirs;
    }
    static void TearDownTestSuite() {
        ours.reset();
        theirs.reset();
        mapped.reset();
        cacheDir.reset();
    }

    // The brightness both predictors sample, so only the predictors differ.
    static dlib::array2d<unsigned char> intensities(const PixelBuffer& frame) {
        dlib::array2d<unsigned char> grey(frame.height, frame.width);
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x)
                grey[y][x] = static_cast<unsigned char>(frame.intensity(x, y));
        return grey;
    }

    // The detector's boxes on the frame, searched on a copy enlarged until it finds one.
    static std::vector<Box> faceBoxes(const PixelBuffer& frame) {
        for (double scale : {1.0, 2.0}) {
            GreyImage copy = GreyImage::scaledFrom(frame, scale);
            copy.equalize();
            std::vector<Box> boxes;
            for (const FaceCandidate& face : FaceDetector::detect(copy)) {
                boxes.push_back({std::lround(face.left / scale), std::lround(face.top / scale),
                                 std::lround((face.left + face.width) / scale),
                                 std::lround((face.top + face.height) / scale)});
            }
            if (!boxes.empty())
                return boxes;
        }
        return {};
    }

    // Worst and mean distance in pixels between the two predictors' points from `box`. dlib
    // rounds its points to whole pixels, which alone accounts for up to 0.71 (0.38 on average).
    // Also the worst distance between the mapped copy's points and the file model's.
    static std::tuple<double, double, double>
    distances(const PixelBuffer& frame, const dlib::array2d<unsigned char>& grey, const Box& box) {
        const PixelBox pixelBox{static_cast<double>(box.left), static_cast<double>(box.top),
                                static_cast<double>(box.right - box.left),
                                static_cast<double>(box.bottom - box.top)};
        const std::vector<PixelPoint> mine = ours->predict(frame, pixelBox);
        const std::vector<PixelPoint> fromCopy = mapped->predict(frame, pixelBox);
        double copyWorst = 0;
        for (std::size_t i = 0; i < std::min(mine.size(), fromCopy.size()); ++i)
            copyWorst = std::max(copyWorst,
                                 std::hypot(mine[i].x - fromCopy[i].x, mine[i].y - fromCopy[i].y));
        const dlib::full_object_detection reference =
            (*theirs)(grey, dlib::rectangle(box.left, box.top, box.right, box.bottom));
        EXPECT_EQ(mine.size(), reference.num_parts());
        double worst = 0, sum = 0;
        for (std::size_t i = 0; i < std::min<std::size_t>(mine.size(), reference.num_parts());
             ++i) {
            const double d = std::hypot(mine[i].x - static_cast<double>(reference.part(i).x()),
                                        mine[i].y - static_cast<double>(reference.part(i).y()));
            worst = std::max(worst, d);
            sum += d;
        }
        return {worst, sum / static_cast<double>(std::max<std::size_t>(mine.size(), 1)), copyWorst};
    }
};

} // namespace

TEST_F(PredictorFixture, placesTheSamePointsAsDlibOnEachPhotograph) {
    ASSERT_TRUE(ours);
    ASSERT_TRUE(mapped && mapped->isMapped());
    ASSERT_EQ(mapped->pointCount(), 68);
    ASSERT_EQ(ours->pointCount(), 68);
    ASSERT_EQ(theirs->num_parts(), 68u);
    int compared = 0;
    for (const char* name : {"astronaut.png", "grace_hopper.jpg", "messi5.jpg"}) {
        const QImage photo = test::loadPhoto(QString::fromLatin1(name));
        ASSERT_FALSE(photo.isNull()) << name << ": run tests/data/fetch-photos";
        // Darkened too: the samples are small differences of brightness, where rounding
        // would show first.
        for (double gain : {1.0, 0.3}) {
            const QImage frame = gain == 1.0 ? photo : test::darkened(photo, gain);
            const PixelBuffer view = test::viewOf(frame);
            const dlib::array2d<unsigned char> grey = intensities(view);
            const std::vector<Box> faces = faceBoxes(view);
            ASSERT_FALSE(faces.empty()) << name;
            for (const Box& face : faces) {
                const long side = face.right - face.left;
                // The detector's box, and boxes a refit could start from: moved, larger,
                // smaller, and one reaching past the picture's edge, where samples read 0.
                const Box starts[] = {
                    face,
                    {face.left + side / 8, face.top - side / 10, face.right + side / 8,
                     face.bottom - side / 10},
                    {face.left - side / 6, face.top - side / 6, face.right + side / 6,
                     face.bottom + side / 6},
                    {face.left + side / 10, face.top + side / 10, face.right - side / 10,
                     face.bottom - side / 10},
                    {-side / 2, face.top, side / 2, face.bottom},
                };
                for (const Box& start : starts) {
                    const auto [worst, mean, copyWorst] = distances(view, grey, start);
                    // The copy holds the same values, so its points are the same to the bit.
                    EXPECT_EQ(copyWorst, 0.0) << name << " gain " << gain << " mapped copy";
                    EXPECT_LE(worst, 1.0)
                        << name << " gain " << gain << " box " << start.left << "," << start.top
                        << " side " << start.right - start.left;
                    EXPECT_LE(mean, 0.5) << name << " gain " << gain;
                    ++compared;
                }
            }
        }
    }
    EXPECT_GE(compared, 30);
}

TEST(LandmarkModelFile, damagedOrForeignFilesAreRefusedWithAReason) {
    QString error;
    EXPECT_FALSE(LandmarkModelParser::load(QStringLiteral("/nonexistent/model.dat"), &error));
    EXPECT_FALSE(error.isEmpty());

    QFile file(FaceModel::defaultPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(1 << 20);
    for (qsizetype cut : {0, 1, 7, 1000, 1 << 19}) {
        error.clear();
        EXPECT_FALSE(
            LandmarkModelParser::parse(reinterpret_cast<const std::uint8_t*>(head.constData()),
                                       static_cast<std::size_t>(cut), &error))
            << cut;
        EXPECT_FALSE(error.isEmpty());
    }
    QByteArray noise(4096, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919) % 251);
    EXPECT_FALSE(LandmarkModelParser::parse(
        reinterpret_cast<const std::uint8_t*>(noise.constData()), 4096, &error));

    // A small whole model reads; with a threshold of 3 * 2^200, beyond any float, it is refused.
    QFile tinyFile(QStringLiteral(TISKO_TEST_DATA "/../../fuzz/corpus/landmark_model/tiny.dat"));
    ASSERT_TRUE(tinyFile.open(QIODevice::ReadOnly));
    QByteArray tiny = tinyFile.readAll();
    const auto parse = [&error](const QByteArray& bytes) {
        return LandmarkModelParser::parse(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                          static_cast<std::size_t>(bytes.size()), &error);
    };
    ASSERT_TRUE(parse(tiny));
    const qsizetype exponent = tiny.indexOf(QByteArray("\x03\x00\x00\xc0\x81\x16", 6)) + 4;
    ASSERT_GT(exponent, 4);
    tiny[exponent] = '\x01';
    tiny[exponent + 1] = static_cast<char>(200);
    error.clear();
    EXPECT_FALSE(parse(tiny));
    EXPECT_FALSE(error.isEmpty());
}

// Every way a copy can be unusable ends in a fresh copy made from the source, mapped, with
// the reason given; a good copy is mapped as it is.
TEST(LandmarkModelCache, unusableCopiesAreRebuiltAndGoodOnesReused) {
    QTemporaryDir dir;
    const QString source = FaceModel::defaultPath();
    const QString path = dir.filePath(QStringLiteral("face.landmarks"));
    QString error, rebuilt;
    ASSERT_TRUE(LandmarkModelCache::load(source, path, &error, &rebuilt)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();
    // Little-endian, read byte by byte (a copy from constData() upsets the sanitizer build's
    // bounds warning, which cannot see the size check).
    const auto u32 = [&good](int offset) {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t(std::uint8_t(good.at(offset + i))) << (8 * i);
        return v;
    };
    // Header: counts of cascades, trees, splits, pixels at 16..28; then the trees (16
    // bytes), the cascades (16), the splits (12), the mean shape, the anchors.
    const int trees = 64, splits = trees + 16 * static_cast<int>(u32(20) + u32(16));
    const int anchors = splits + 12 * static_cast<int>(u32(24)) + 8 * static_cast<int>(u32(12));
    const auto patched = [&good](int offset, std::uint32_t value) {
        QByteArray bytes = good;
        std::memcpy(bytes.data() + offset, &value, 4);
        return bytes;
    };
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"good", good},
        {"truncated", good.left(good.size() - 1000)},
        {"header only", good.left(64)},
        {"wrong version", patched(8, 99)},
        {"leaf past the end", patched(trees + 16 * 7 + 8, 0x7FFFFFFF)},
        {"split past the end", patched(trees + 16 * 3, 0xFFFFFFF0)},
        {"pixel past its cascade", patched(splits + 12 * 5, 400000)},
        {"anchor past the shape", patched(anchors + 4 * 9, 68)},
        {"other source", patched(40, u32(40) + 1)},
    };
    for (const auto& c : cases) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.bytes);
        out.close();
        rebuilt.clear();
        const auto model = LandmarkModelCache::load(source, path, &error, &rebuilt);
        ASSERT_TRUE(model) << c.name;
        EXPECT_TRUE(model->isMapped()) << c.name;
        EXPECT_EQ(rebuilt.isEmpty(), c.bytes == good) << c.name << ": " << rebuilt.toStdString();
        QFile again(path);
        ASSERT_TRUE(again.open(QIODevice::ReadOnly));
        EXPECT_EQ(again.readAll(), good) << c.name;
    }
}

// Two writers at once leave one whole copy, never a mix.
TEST(LandmarkModelCache, concurrentWritersLeaveAWholeCopy) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("face.landmarks"));
    QString error;
    const auto source = LandmarkModelCache::identify(FaceModel::defaultPath(), &error);
    const auto model = LandmarkModelParser::load(FaceModel::defaultPath(), &error);
    ASSERT_TRUE(source && model) << error.toStdString();
    bool written[2] = {};
    std::thread other(
        [&] { written[1] = LandmarkModelCache::write(*model, path, *source, nullptr); });
    written[0] = LandmarkModelCache::write(*model, path, *source, nullptr);
    other.join();
    EXPECT_TRUE(written[0] && written[1]);
    EXPECT_TRUE(LandmarkModelCache::map(path, *source, &error)) << error.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}
