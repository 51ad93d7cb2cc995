// The landmark model's own reader and cascade against dlib's shape_predictor reading the
// same file: from the same box on the same pixels both must place the same 68 points.
// This is the only test that includes dlib's predictor (it is slow to compile).
#include "PhotoFrames.h"
#include "Tisko/Camera/FaceDetector.h"
#include "Tisko/Camera/FaceModel.h"
#include "Tisko/Camera/GreyImage.h"
#include "Tisko/Camera/LandmarkModel.h"

#include <QFile>

#include <dlib/image_processing/shape_predictor.h>

#include <gtest/gtest.h>

#include <cmath>

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

    static void SetUpTestSuite() {
        QString error;
        ours = LandmarkModel::load(FaceModel::defaultPath(), &error);
        theirs = std::make_unique<dlib::shape_predictor>();
        dlib::deserialize(FaceModel::defaultPath().toStdString()) >> *theirs;
    }
    static void TearDownTestSuite() {
        ours.reset();
        theirs.reset();
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
    static std::pair<double, double>
    distances(const PixelBuffer& frame, const dlib::array2d<unsigned char>& grey, const Box& box) {
        const std::vector<PixelPoint> mine = ours->predict(
            frame, PixelBox{static_cast<double>(box.left), static_cast<double>(box.top),
                            static_cast<double>(box.right - box.left),
                            static_cast<double>(box.bottom - box.top)});
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
        return {worst, sum / static_cast<double>(std::max<std::size_t>(mine.size(), 1))};
    }
};

} // namespace

TEST_F(PredictorFixture, placesTheSamePointsAsDlibOnEachPhotograph) {
    ASSERT_TRUE(ours);
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
                    const auto [worst, mean] = distances(view, grey, start);
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
    EXPECT_FALSE(LandmarkModel::load(QStringLiteral("/nonexistent/model.dat"), &error));
    EXPECT_FALSE(error.isEmpty());

    QFile file(FaceModel::defaultPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(1 << 20);
    for (qsizetype cut : {0, 1, 7, 1000, 1 << 19}) {
        error.clear();
        EXPECT_FALSE(LandmarkModel::parse(reinterpret_cast<const std::uint8_t*>(head.constData()),
                                          static_cast<std::size_t>(cut), &error))
            << cut;
        EXPECT_FALSE(error.isEmpty());
    }
    QByteArray noise(4096, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919) % 251);
    EXPECT_FALSE(LandmarkModel::parse(reinterpret_cast<const std::uint8_t*>(noise.constData()),
                                      4096, &error));
}
