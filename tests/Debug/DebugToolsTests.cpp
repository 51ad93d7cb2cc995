// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The text of the diagnostic output files.
#include "FakeV4l2System.h"

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

TEST(DebugLook, failedLookFaceAndVerdictLinesWithoutNegativeZero) {
    LookResult failed;
    failed.failed = true;
    EXPECT_EQ(DebugTools::lookLines(failed, mesa(), Thresholds::sensitivity(3), describe),
              (QStringList{QStringLiteral("failed=true"), QStringLiteral("camera="),
                           QStringLiteral("shared=false"), QStringLiteral("format="),
                           QStringLiteral("frames=0/0")}));
    LookResult seen;
    // Slightly above the reference: a drop of -0.00025 that must read as 0.000.
    seen.measurement = HeadMeasurement{0.39, std::nullopt, 0.5001, 0.52};
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
                  QStringLiteral("faceWidth=0.3900 eyes=-1.0000 faceY=0.5001 faceHeight=0.5200")}));
    const QStringList judged =
        DebugTools::lookLines(seen, mesa(), Thresholds::sensitivity(3), describe);
    ASSERT_EQ(judged.size(), 7);
    EXPECT_EQ(judged[6],
              QStringLiteral("vs Mesa: closeness=1.300 drop=0.000 verdict=Demasiado cerca"));
}

TEST(DebugHold, ticksShowTheFormatTheCameraHasNow) {
    test::FakeV4l2System system;
    CameraDevice node;
    node.path = QStringLiteral("/dev/video0");
    system.width = 1920; // another program switched the camera after the session started
    system.height = 1080;
    const QString atStart = QStringLiteral("640x480");
    EXPECT_EQ(DebugTools::currentFormat(node, atStart, system), QStringLiteral("1920x1080"));
    EXPECT_EQ(system.openNodes, 0);
    system.missing = true;
    EXPECT_EQ(DebugTools::currentFormat(node, atStart, system), atStart);
    CameraDevice sample;
    sample.kind = CameraDevice::Kind::Sample;
    EXPECT_EQ(DebugTools::currentFormat(sample, atStart, system), atStart);
}

TEST(DebugOutput, linesReplaceTheFileWholeOrTheReasonIsGiven) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    EXPECT_EQ(DebugTools::writeLines(path, {QStringLiteral("a"), QStringLiteral("b")}),
              std::nullopt);
    EXPECT_EQ(DebugTools::writeLines(path, {QStringLiteral("c")}), std::nullopt);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("c\n"));

    for (const QString& unwritable :
         {dir.filePath(QStringLiteral("missing/out.txt")), dir.path(), QStringLiteral("/dev/full")})
        EXPECT_NE(DebugTools::writeLines(unwritable, {QStringLiteral("x")}), std::nullopt)
            << unwritable.toStdString();
}

} // namespace
} // namespace tisko
