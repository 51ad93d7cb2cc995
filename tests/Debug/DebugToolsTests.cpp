// The text of the diagnostic output files.
#include "Tisko/Debug/DebugTools.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tisko {
namespace {

QString describe(const PostureVerdict& verdict) {
    return verdict.kind() == PostureVerdict::Kind::tooClose ? QStringLiteral("Demasiado cerca")
                                                            : QStringLiteral("otro");
}

Calibration mesa() {
    Calibration c;
    c.name = "Mesa";
    c.reference = HeadMeasurement{0.3, 0.12, 0.5, 0.4};
    return c;
}

TEST(DebugLook, FailedLookWritesFiveLines) {
    LookResult failed;
    failed.failed = true;
    EXPECT_EQ(DebugTools::lookLines(failed, mesa(), Thresholds::sensitivity(3), describe),
              (QStringList{QStringLiteral("failed=true"), QStringLiteral("camera="),
                           QStringLiteral("shared=false"), QStringLiteral("format="),
                           QStringLiteral("frames=0/0")}));
}

TEST(DebugLook, FaceAddsTheMeasurementAndWithAPositionTheVerdict) {
    LookResult seen;
    seen.measurement = HeadMeasurement{0.39, std::nullopt, 0.5, 0.52};
    seen.analysed = 6;
    seen.withFace = 5;
    seen.cameraID = QStringLiteral("usb-Cam");
    seen.sharedWithAnotherApp = true;
    seen.format = QStringLiteral("1280x720");
    const QStringList alone =
        DebugTools::lookLines(seen, std::nullopt, Thresholds::sensitivity(3), describe);
    EXPECT_EQ(alone,
              (QStringList{
                  QStringLiteral("failed=false"), QStringLiteral("camera=usb-Cam"),
                  QStringLiteral("shared=true"), QStringLiteral("format=1280x720"),
                  QStringLiteral("frames=5/6"),
                  QStringLiteral("faceWidth=0.3900 eyes=-1.0000 faceY=0.5000 faceHeight=0.5200")}));
    const QStringList judged =
        DebugTools::lookLines(seen, mesa(), Thresholds::sensitivity(3), describe);
    ASSERT_EQ(judged.size(), 7);
    EXPECT_EQ(judged[6],
              QStringLiteral("vs Mesa: closeness=1.300 drop=0.000 verdict=Demasiado cerca"));
}

TEST(DebugHold, LinesNameEveryCounter) {
    EXPECT_EQ(DebugTools::holdStartLine(false, true, QString()),
              QStringLiteral("start ok=false shared=true format="));
    EXPECT_EQ(DebugTools::holdTickLine(3, 90, 17, 12, QStringLiteral("640x480"), true),
              QStringLiteral("t=3 frames=90 analysed=17 faces=12 format=640x480 running=true"));
}

TEST(DebugOutput, LinesAreWrittenWholeEachEndedByALineFeed) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    ASSERT_TRUE(DebugTools::writeLines(path, {QStringLiteral("a"), QStringLiteral("b")}));
    ASSERT_TRUE(DebugTools::writeLines(path, {QStringLiteral("c")}));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("c\n"));
    EXPECT_FALSE(DebugTools::writeLines(dir.filePath(QStringLiteral("missing/out.txt")), {}));
}

} // namespace
} // namespace tisko
