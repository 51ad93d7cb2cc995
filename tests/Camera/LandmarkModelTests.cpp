// The landmark model's own reader and cascade against dlib's shape_predictor reading the
// same file: from the same box on the same pixels both must place the same 68 points, and
// the flat copy mapped from the cache folder must place them where the file's model does.
// This is the only test that includes dlib's predictor (it is slow to compile).
#include "PhotoFrames.h"
#include "Tisko/Camera/FaceDetector.h"
#include "Tisko/Camera/FaceModel.h"
#include "Tisko/Camera/GreyImage.h"
#include "Tisko/Camera/LandmarkModelCache.h"
#include "Tisko/Camera/LandmarkModelParser.h"
#include "TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <dlib/image_processing/shape_predictor.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

using namespace tisko;

TEST(PredictorFixture, placesTheSamePointsAsDlibOnEachPhotograph) {
    QString error;
    const auto ours = LandmarkModelParser::load(FaceModel::defaultPath(), &error);
    QTemporaryDir cache;
    const auto mapped = LandmarkModelCache::load(
        FaceModel::defaultPath(), cache.filePath(QStringLiteral("face.landmarks")), &error);
    dlib::shape_predictor theirs;
    dlib::deserialize(FaceModel::defaultPath().toStdString()) >> theirs;
    ASSERT_TRUE(ours && mapped && mapped->isMapped());
    int compared = 0;
    for (const char* name : {"astronaut.png", "grace_hopper.jpg", "messi5.jpg"}) {
        const QImage photo = test::loadPhoto(QString::fromLatin1(name));
        ASSERT_FALSE(photo.isNull()) << name << ": run tests/data/fetch-photos";
        // Darkened too: the samples are small differences of brightness, where rounding
        // would show first.
        for (double gain : {1.0, 0.3}) {
            const QImage frame = gain == 1.0 ? photo : test::darkened(photo, gain);
            const PixelBuffer view = test::viewOf(frame);
            // The brightness both predictors sample, so only the predictors differ.
            dlib::array2d<unsigned char> grey(view.height, view.width);
            for (int y = 0; y < view.height; ++y)
                for (int x = 0; x < view.width; ++x)
                    grey[y][x] = static_cast<unsigned char>(view.intensity(x, y));
            // The detector's faces, searched on a copy enlarged until it finds one.
            std::vector<FaceCandidate> faces;
            double scale = 0.5;
            while (faces.empty() && scale < 2) {
                scale *= 2;
                GreyImage search = GreyImage::scaledFrom(view, scale);
                search.equalize();
                faces = FaceDetector::detect(search);
            }
            ASSERT_FALSE(faces.empty()) << name;
            for (const FaceCandidate& face : faces) {
                const long l = std::lround(face.left / scale), t = std::lround(face.top / scale),
                           r = std::lround((face.left + face.width) / scale),
                           b = std::lround((face.top + face.height) / scale), side = r - l;
                // The detector's box, and boxes a refit could start from: moved, larger,
                // smaller, and one reaching past the picture's edge, where samples read 0.
                const dlib::rectangle starts[] = {
                    {l, t, r, b},
                    {l + side / 8, t - side / 10, r + side / 8, b - side / 10},
                    {l - side / 6, t - side / 6, r + side / 6, b + side / 6},
                    {l + side / 10, t + side / 10, r - side / 10, b - side / 10},
                    {-side / 2, t, side / 2, b},
                };
                for (const dlib::rectangle& box : starts) {
                    const PixelBox start{static_cast<double>(box.left()),
                                         static_cast<double>(box.top()),
                                         static_cast<double>(box.right() - box.left()),
                                         static_cast<double>(box.bottom() - box.top())};
                    const std::vector<PixelPoint> mine = ours->predict(view, start);
                    const std::vector<PixelPoint> copy = mapped->predict(view, start);
                    const dlib::full_object_detection reference = theirs(grey, box);
                    ASSERT_EQ(mine.size(), reference.num_parts());
                    ASSERT_EQ(copy.size(), mine.size());
                    // dlib rounds its points to whole pixels, which alone accounts for up
                    // to 0.71 (0.38 on average). The copy holds the same values, so its
                    // points are the same to the bit.
                    double worst = 0, sum = 0;
                    bool sameCopy = true;
                    for (std::size_t i = 0; i < mine.size(); ++i) {
                        sameCopy = sameCopy && copy[i].x == mine[i].x && copy[i].y == mine[i].y;
                        const double d =
                            std::hypot(mine[i].x - static_cast<double>(reference.part(i).x()),
                                       mine[i].y - static_cast<double>(reference.part(i).y()));
                        worst = std::max(worst, d);
                        sum += d;
                    }
                    EXPECT_TRUE(sameCopy) << name << " gain " << gain;
                    EXPECT_LE(worst, 1.0) << name << " gain " << gain << " box " << box.left()
                                          << "," << box.top() << " side " << side;
                    EXPECT_LE(sum / 68, 0.5) << name << " gain " << gain;
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
    const auto parsed = [&error](const QByteArray& bytes) {
        error.clear();
        return LandmarkModelParser::parse(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                          static_cast<std::size_t>(bytes.size()),
                                          &error) != nullptr;
    };
    QFile file(FaceModel::defaultPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(1 << 20);
    for (qsizetype cut : {0, 1, 7, 1000, 1 << 19})
        EXPECT_TRUE(!parsed(head.left(cut)) && !error.isEmpty()) << cut;
    EXPECT_FALSE(parsed(QByteArray(4096, 'x'))) << "a text file";

    // A small whole model reads; with a threshold of 3 * 2^200, beyond any float, it is refused.
    QByteArray tiny = test::readFile(
        QStringLiteral(TISKO_TEST_DATA "/../../fuzz/corpus/landmark_model/tiny.dat"));
    ASSERT_TRUE(parsed(tiny));
    const qsizetype exponent = tiny.indexOf(QByteArray("\x03\x00\x00\xc0\x81\x16", 6)) + 4;
    ASSERT_GT(exponent, 4);
    tiny[exponent] = '\x01';
    tiny[exponent + 1] = static_cast<char>(200);
    EXPECT_TRUE(!parsed(tiny) && !error.isEmpty());
}

// Every way a copy can be unusable ends in a fresh copy made from the source, mapped, with
// the reason given; a good copy is mapped as it is.
TEST(LandmarkModelCache, unusableCopiesAreRebuiltAndGoodOnesReused) {
    QTemporaryDir dir;
    const QString source = FaceModel::defaultPath();
    const QString path = dir.filePath(QStringLiteral("face.landmarks"));
    QString error, rebuilt;
    ASSERT_TRUE(LandmarkModelCache::load(source, path, &error, &rebuilt)) << error.toStdString();
    const QByteArray good = test::readFile(path);
    ASSERT_FALSE(good.isEmpty());
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
    const std::pair<const char*, QByteArray> cases[] = {
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
    for (const auto& [name, bytes] : cases) {
        ASSERT_TRUE(test::writeFile(path, bytes));
        rebuilt.clear();
        const auto model = LandmarkModelCache::load(source, path, &error, &rebuilt);
        ASSERT_TRUE(model) << name;
        EXPECT_TRUE(model->isMapped()) << name;
        EXPECT_EQ(rebuilt.isEmpty(), bytes == good) << name << ": " << rebuilt.toStdString();
        EXPECT_EQ(test::readFile(path), good) << name;
    }
}

// The machine's copy, made as the package makes it, is mapped only while nobody but its owner
// may have changed it and it is whole; anything else is left for the user's own copy.
TEST(LandmarkModelCache, theSharedCopyIsUsedOnlyWhenItsOwnerAloneWritesItAndItIsWhole) {
    QTemporaryDir dir;
    const QString source =
        QStringLiteral(TISKO_TEST_DATA "/../../fuzz/corpus/landmark_model/tiny.dat");
    const QString folder = dir.filePath(QStringLiteral("shared"));
    QString error;
    ASSERT_TRUE(LandmarkModelCache::makeShared(source, folder, &error)) << error.toStdString();
    const QString path = folder + QStringLiteral("/tiny.landmarks");
    const QByteArray good = test::readFile(path);
    const auto identity = LandmarkModelCache::identify(source, &error);
    ASSERT_TRUE(identity);
    const auto mode = [](const QString& file, mode_t bits) {
        ::chmod(QFile::encodeName(file).constData(), bits);
    };
    // What is done to the copy or its folder, and whether it is mapped afterwards.
    const std::tuple<const char*, std::function<void()>, bool> cases[] = {
        {"as made", [] {}, true},
        {"writable by the group", [&] { mode(path, 0664); }, false},
        {"in a folder all may write", [&] { mode(folder, 0777); }, false},
        {"cut short", [&] { test::writeFile(path, good.left(good.size() - 8)); }, false},
    };
    for (const auto& [name, change, mapped] : cases) {
        mode(folder, 0755);
        test::writeFile(path, good);
        mode(path, 0644);
        change();
        EXPECT_EQ(bool(LandmarkModelCache::mapShared(path, *identity, &error, ::geteuid())), mapped)
            << name;
    }
    test::writeFile(path, good);
    mode(path, 0644);
    EXPECT_FALSE(LandmarkModelCache::mapShared(path, *identity, &error, ::geteuid() + 1))
        << "another owner's";
}
