// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EventLoop.h"
#include "FakeV4l2System.h"
#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"
#include "Tisko/Camera/CameraUsage.h"
#include "Tisko/Camera/Cameras.h"
#include "Tisko/Camera/V4l2Backend.h"
#include "Tisko/Support/Log.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tisko;

namespace {

CameraDevice camera(const char* id, bool builtIn) {
    return CameraDevice{
        QString::fromLatin1(id), QString::fromLatin1(id), CameraDevice::Kind::V4l2, builtIn, {}};
}

} // namespace

TEST(CamerasChoice, theStoredCameraWhenConnectedElseTheFirstBuiltInElseTheFirst) {
    const auto chosen = [](const std::vector<CameraDevice>& cameras, const char* stored) {
        const auto camera = Cameras::choose(cameras, QString::fromLatin1(stored));
        return camera ? camera->uniqueID : QStringLiteral("none");
    };
    const std::vector<CameraDevice> withLid{camera("usb", false), camera("lid", true),
                                            camera("lid2", true)};
    EXPECT_EQ(chosen(withLid, "usb"), QStringLiteral("usb"));
    EXPECT_EQ(chosen(withLid, "gone"), QStringLiteral("lid"));
    EXPECT_EQ(chosen({camera("usb", false), camera("usb2", false)}, "gone"), QStringLiteral("usb"));
    EXPECT_EQ(chosen({}, "usb"), QStringLiteral("none"));
}

TEST(CamerasChoice, sampleCamerasTakeFileIdsAndSkipMissingEntries) {
    test::TempHome home;
    Log::restartForTesting();
    QTemporaryDir dir;
    ASSERT_TRUE(test::writeFile(dir.filePath(QStringLiteral("frames/a.png")), "x"));
    const auto cameras =
        Cameras::sampleCameras(dir.filePath(QStringLiteral("frames")) + QStringLiteral("::") +
                               dir.filePath(QStringLiteral("missing.png")));
    const QString frames = dir.filePath(QStringLiteral("frames"));
    EXPECT_EQ(cameras, (std::vector<CameraDevice>{{QStringLiteral("file:") + frames,
                                                   QStringLiteral("frames"),
                                                   CameraDevice::Kind::Sample, false, frames}}));
    // The missing entry is named once, however often the list is read.
    Cameras::sampleCameras(dir.filePath(QStringLiteral("missing.png")));
    EXPECT_EQ(test::loggedLines().filter(dir.filePath(QStringLiteral("missing.png"))).size(), 1);
    Log::restartForTesting();
}

TEST(CamerasDiscovery, findsCaptureNodesWithStableIdsCardNamesAndTheBuiltInOne) {
    QTemporaryDir root;
    const QString sys = root.filePath(QStringLiteral("sys/class/video4linux"));
    const QString dev = root.filePath(QStringLiteral("dev"));
    const QString usb1 = root.filePath(QStringLiteral("sys/devices/usb1/1-5"));
    const QString usb2 = root.filePath(QStringLiteral("sys/devices/usb2/2-1"));
    // video0: fixed USB camera in the lid with a by-id link; video1: its metadata node;
    // video10: a removable camera with only a by-path link.
    test::writeFile(usb1 + QStringLiteral("/removable"), "fixed\n");
    test::writeFile(usb1 + QStringLiteral("/1-5:1.0/video4linux/video0/name"), "Integrated\n");
    test::writeFile(usb2 + QStringLiteral("/removable"), "removable\n");
    test::writeFile(usb2 + QStringLiteral("/2-1:1.0/x"), "");
    const std::pair<const char*, QString> nodes[] = {
        {"video0", usb1 + QStringLiteral("/1-5:1.0")},
        {"video1", usb1 + QStringLiteral("/1-5:1.0")},
        {"video10", usb2 + QStringLiteral("/2-1:1.0")}};
    for (const auto& [name, device] : nodes) {
        QDir().mkpath(sys + QLatin1Char('/') + QLatin1String(name));
        QFile::link(device,
                    sys + QLatin1Char('/') + QLatin1String(name) + QStringLiteral("/device"));
        test::writeFile(dev + QLatin1Char('/') + QLatin1String(name), "");
    }
    const QString byId = dev + QStringLiteral("/v4l/by-id/usb-Acme_Integrated-video-index0");
    const QString byPath =
        dev + QStringLiteral("/v4l/by-path/pci-0000:00:14.0-usb-0:1:1.0-video-index0");
    QDir().mkpath(dev + QStringLiteral("/v4l/by-id"));
    QDir().mkpath(dev + QStringLiteral("/v4l/by-path"));
    QFile::link(dev + QStringLiteral("/video0"), byId);
    QFile::link(dev + QStringLiteral("/video10"), byPath);

    test::FakeV4l2System system;
    system.metadataNodes = {QStringLiteral("video1")};
    const auto cameras = Cameras::captureNodes(system, sys, dev);
    ASSERT_EQ(cameras.size(), 2u);
    EXPECT_EQ(cameras[0].uniqueID, byId);
    EXPECT_EQ(cameras[0].localizedName, QStringLiteral("Cámara simulada"));
    EXPECT_TRUE(cameras[0].builtIn);
    EXPECT_EQ(cameras[0].path, dev + QStringLiteral("/video0"));
    EXPECT_EQ(cameras[1].uniqueID, byPath);
    EXPECT_FALSE(cameras[1].builtIn);
    EXPECT_EQ(system.openNodes, 0) << "asking capabilities leaves no node open";

    // Outside the "video" group: the capture node is a camera without permission, its
    // metadata node (index 1) none.
    test::writeFile(sys + QStringLiteral("/video1/index"), "1\n");
    system.deniedNodes = {QStringLiteral("video0"), QStringLiteral("video1")};
    const auto refused = Cameras::captureNodes(system, sys, dev);
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_TRUE(refused[0].accessDenied && !refused[1].accessDenied);
}

TEST(CameraUsageScan, aMappingOfTheNodeInAnyProcessMeansRunning) {
    QTemporaryDir root;
    const QString node = root.filePath(QStringLiteral("dev/video0"));
    test::writeFile(node, "");
    const QByteArray canonical = QFileInfo(node).canonicalFilePath().toUtf8();
    const QString proc = root.filePath(QStringLiteral("proc"));
    test::writeFile(proc + QStringLiteral("/1/maps"),
                    "55d0c000-55d0d000 r--p 00000000 08:01 131 /usr/bin/init\n");
    test::writeFile(proc + QStringLiteral("/self/maps"), "");
    test::writeFile(proc + QStringLiteral("/77/maps"),
                    "7f00-7f10 rw-s 00000000 00:05 99 " + canonical + "1\n");
    const CameraDevice camera{QStringLiteral("id"), {}, CameraDevice::Kind::V4l2, false, node};
    EXPECT_FALSE(CameraUsage::isRunningSomewhere(camera, proc)) << "video01 is another node";

    test::writeFile(
        proc + QStringLiteral("/4242/maps"),
        "7f00-7f10 r--p 00000000 08:01 5 /usr/lib/libc.so.6\n7f20-7f80 rw-s 00000000 00:05 99 " +
            canonical + "\n");
    EXPECT_TRUE(CameraUsage::isRunningSomewhere(camera, proc));
    EXPECT_FALSE(CameraUsage::isRunningSomewhere(camera, root.filePath(QStringLiteral("no-proc"))));
}

TEST(V4l2Backend, refusesNodesThatAreNotCaptureDevicesCannotBeOpenedOrAreBusy) {
    test::FakeV4l2System metadata;
    metadata.metadataNodes = {QStringLiteral("video1")};
    V4l2Backend node(QStringLiteral("/dev/video1"), metadata);
    EXPECT_FALSE(node.open());
    EXPECT_EQ(metadata.openNodes, 0) << "the refused node is closed again";

    test::FakeV4l2System missing;
    missing.missing = true;
    V4l2Backend gone(QStringLiteral("/dev/video9"), missing);
    EXPECT_FALSE(gone.open());
    EXPECT_FALSE(gone.start([](auto) {}));

    test::FakeV4l2System system;
    V4l2Backend backend(QStringLiteral("/dev/video0"), system);
    ASSERT_TRUE(backend.open());
    system.busy = true;
    EXPECT_FALSE(backend.setFormat({640, 480}));
    EXPECT_FALSE(backend.start([](auto) {}));
    EXPECT_FALSE(backend.isRunning());
    EXPECT_TRUE(backend.busy());
}

// A stream lists each size once, hands over a corrupt frame as one without pixels, and
// gives back every buffer, the stream and the node when stopped, also after an unplug.
TEST(V4l2Backend, streamsReadableFramesAndReleasesEverythingWhenStoppedOrUnplugged) {
    for (const bool unplugged : {false, true}) {
        test::FakeV4l2System system;
        system.sizes = {{640, 480}, {1280, 720}, {640, 480}, {1920, 1080}};
        system.failNextDequeues = 2;
        std::atomic<int> withPixels{0}, without{0}; // frames handed over from its thread
        V4l2Backend backend(QStringLiteral("/dev/video0"), system);
        ASSERT_TRUE(backend.open());
        EXPECT_EQ(backend.formats(),
                  (std::vector<FrameSize>{{640, 480}, {1280, 720}, {1920, 1080}}));
        ASSERT_TRUE(backend.setFormat({1280, 720}));
        EXPECT_EQ(backend.activeFormat(), (FrameSize{1280, 720}));
        ASSERT_TRUE(backend.start([&](std::shared_ptr<const CapturedFrame> frame) {
            ++(frame->pixels() ? withPixels : without);
        }));
        EXPECT_TRUE(backend.isRunning());
        ASSERT_TRUE(test::waitUntil([&] { return withPixels + without >= 5; }));
        EXPECT_EQ(without, 2);
        if (unplugged) {
            system.vanished = true;
            EXPECT_TRUE(test::waitUntil([&] { return !backend.isRunning(); }));
        }
        backend.stop();
        EXPECT_FALSE(backend.isRunning());
        EXPECT_EQ(system.mapped, 0);
        EXPECT_FALSE(system.streaming);
        EXPECT_EQ(system.openNodes, 0);
    }
}

TEST(CamerasDiscovery, aWebcamPipeWireServesIsListedOnceUnderItsV4l2Identifier) {
    // PipeWire serves the visible video0, a video4 this process cannot see (a sandbox), and
    // a MIPI camera through libcamera.
    QTemporaryDir dev;
    QDir().mkpath(dev.filePath(QStringLiteral("v4l/by-id")));
    for (const char* node : {"video0", "video4"}) {
        test::writeFile(dev.filePath(QString::fromLatin1(node)), "");
        QFile::link(QStringLiteral("../../") + QString::fromLatin1(node),
                    dev.filePath(QStringLiteral("v4l/by-id/usb-") + QString::fromLatin1(node)));
    }
    std::vector<CameraDevice> cameras{{dev.filePath(QStringLiteral("v4l/by-id/usb-video0")),
                                       QStringLiteral("Cam"), CameraDevice::Kind::V4l2, false,
                                       dev.filePath(QStringLiteral("video0"))}};
    Cameras::addPipeWireNodes(cameras,
                              {{31, QStringLiteral("served"), QStringLiteral("Cam"),
                                QStringLiteral("v4l2"), dev.filePath(QStringLiteral("video0"))},
                               {32, QStringLiteral("hidden"), QStringLiteral("Hidden"),
                                QStringLiteral("v4l2"), dev.filePath(QStringLiteral("video4"))},
                               {33,
                                QStringLiteral("mipi"),
                                QStringLiteral("Integrada"),
                                QStringLiteral("libcamera"),
                                {},
                                QStringLiteral("/base/soc/cam0"),
                                QStringLiteral("front")}},
                              dev.path());
    const auto pipeWire = CameraDevice::Kind::PipeWire;
    EXPECT_EQ(cameras,
              (std::vector<CameraDevice>{
                  {dev.filePath(QStringLiteral("v4l/by-id/usb-video0")), QStringLiteral("Cam"),
                   CameraDevice::Kind::V4l2, false, dev.filePath(QStringLiteral("video0")), false,
                   QStringLiteral("served")},
                  {dev.filePath(QStringLiteral("v4l/by-id/usb-video4")), QStringLiteral("Hidden"),
                   pipeWire, false, QStringLiteral("hidden")},
                  {QStringLiteral("libcamera:/base/soc/cam0"), QStringLiteral("Integrada"),
                   pipeWire, true, QStringLiteral("mipi")}}));
}
