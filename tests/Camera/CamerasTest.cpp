#include "FakeV4l2System.h"
#include "Tisko/Camera/CameraUsage.h"
#include "Tisko/Camera/Cameras.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tisko;

namespace {

CameraDevice camera(const char* id, bool builtIn) {
    return CameraDevice{QString::fromLatin1(id), QString::fromLatin1(id), CameraDevice::Kind::V4l2, builtIn, {}};
}

void write(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// A fake kernel answering QUERYCAP per node: video1 is the metadata node of video0.
class NodeSystem : public test::FakeV4l2System {
public:
    int open(const QString& path, int flags) override {
        m_last = path;
        return test::FakeV4l2System::open(path, flags);
    }
    int ioctl(int fd, unsigned long request, void* argument) override {
        caps = m_last.endsWith(QStringLiteral("video1")) ? V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING
                                                          : V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
        return test::FakeV4l2System::ioctl(fd, request, argument);
    }

private:
    QString m_last;
};

} // namespace

TEST(CamerasChoice, storedIdentifierWinsWhenConnected) {
    const std::vector<CameraDevice> list{camera("usb", false), camera("lid", true)};
    EXPECT_EQ(Cameras::choose(list, QStringLiteral("usb"))->uniqueID, QStringLiteral("usb"));
}

TEST(CamerasChoice, unknownOrAbsentIdentifierFallsBackToBuiltInThenFirst) {
    const std::vector<CameraDevice> withLid{camera("usb", false), camera("lid", true), camera("lid2", true)};
    EXPECT_EQ(Cameras::choose(withLid, QStringLiteral("gone"))->uniqueID, QStringLiteral("lid"));
    EXPECT_EQ(Cameras::choose(withLid, std::nullopt)->uniqueID, QStringLiteral("lid"));
    const std::vector<CameraDevice> external{camera("usb", false), camera("usb2", false)};
    EXPECT_EQ(Cameras::choose(external, QStringLiteral("gone"))->uniqueID, QStringLiteral("usb"));
    EXPECT_FALSE(Cameras::choose({}, QStringLiteral("usb")));
    EXPECT_FALSE(Cameras::choose({}, std::nullopt));
}

TEST(CamerasChoice, sampleCamerasTakeFileIdsAndSkipMissingEntries) {
    QTemporaryDir dir;
    write(dir.filePath(QStringLiteral("frames/a.png")), "x");
    const auto cameras = Cameras::sampleCameras(dir.filePath(QStringLiteral("frames")) + QStringLiteral("::")
                                                + dir.filePath(QStringLiteral("missing.png")));
    ASSERT_EQ(cameras.size(), 1u);
    EXPECT_EQ(cameras[0].uniqueID, QStringLiteral("file:") + dir.filePath(QStringLiteral("frames")));
    EXPECT_EQ(cameras[0].localizedName, QStringLiteral("frames"));
    EXPECT_EQ(cameras[0].kind, CameraDevice::Kind::Sample);
    EXPECT_FALSE(cameras[0].builtIn);
}

TEST(CamerasDiscovery, findsCaptureNodesWithStableIdsCardNamesAndTheBuiltInOne) {
    QTemporaryDir root;
    const QString sys = root.filePath(QStringLiteral("sys/class/video4linux"));
    const QString dev = root.filePath(QStringLiteral("dev"));
    // video0: fixed USB camera in the lid with a by-id link; video1: its metadata node;
    // video10: a removable camera with only a by-path link.
    write(root.filePath(QStringLiteral("sys/devices/usb1/1-5/removable")), "fixed\n");
    write(root.filePath(QStringLiteral("sys/devices/usb1/1-5/1-5:1.0/video4linux/video0/name")), "Integrated\n");
    write(root.filePath(QStringLiteral("sys/devices/usb2/2-1/removable")), "removable\n");
    write(root.filePath(QStringLiteral("sys/devices/usb2/2-1/2-1:1.0/x")), "");
    QDir().mkpath(sys);
    for (const char* name : {"video0", "video1", "video10"}) {
        QDir().mkpath(sys + QLatin1Char('/') + QLatin1String(name));
        write(dev + QLatin1Char('/') + QLatin1String(name), "");
    }
    QFile::link(root.filePath(QStringLiteral("sys/devices/usb1/1-5/1-5:1.0")), sys + QStringLiteral("/video0/device"));
    QFile::link(root.filePath(QStringLiteral("sys/devices/usb1/1-5/1-5:1.0")), sys + QStringLiteral("/video1/device"));
    QFile::link(root.filePath(QStringLiteral("sys/devices/usb2/2-1/2-1:1.0")), sys + QStringLiteral("/video10/device"));
    QDir().mkpath(dev + QStringLiteral("/v4l/by-id"));
    QDir().mkpath(dev + QStringLiteral("/v4l/by-path"));
    QFile::link(dev + QStringLiteral("/video0"), dev + QStringLiteral("/v4l/by-id/usb-Acme_Integrated-video-index0"));
    QFile::link(dev + QStringLiteral("/video10"), dev + QStringLiteral("/v4l/by-path/pci-0000:00:14.0-usb-0:1:1.0-video-index0"));

    NodeSystem system;
    const auto cameras = Cameras::captureNodes(system, sys, dev);
    ASSERT_EQ(cameras.size(), 2u);
    EXPECT_EQ(cameras[0].uniqueID, dev + QStringLiteral("/v4l/by-id/usb-Acme_Integrated-video-index0"));
    EXPECT_EQ(cameras[0].localizedName, QStringLiteral("Cámara simulada"));
    EXPECT_TRUE(cameras[0].builtIn);
    EXPECT_EQ(cameras[0].path, dev + QStringLiteral("/video0"));
    EXPECT_EQ(cameras[1].uniqueID, dev + QStringLiteral("/v4l/by-path/pci-0000:00:14.0-usb-0:1:1.0-video-index0"));
    EXPECT_FALSE(cameras[1].builtIn);
    EXPECT_EQ(system.closes, system.opens) << "asking capabilities leaves no node open";

    // The built-in rule holds across real and sample cameras.
    std::vector<CameraDevice> all = Cameras::sampleCameras(dev + QStringLiteral("/video10"));
    all.insert(all.end(), cameras.begin(), cameras.end());
    EXPECT_EQ(Cameras::choose(all, std::nullopt)->path, dev + QStringLiteral("/video0"));
}

TEST(CameraUsageScan, aMappingOfTheNodeInAnyProcessMeansRunning) {
    QTemporaryDir root;
    const QString node = root.filePath(QStringLiteral("dev/video0"));
    write(node, "");
    const QString canonical = QFileInfo(node).canonicalFilePath();
    const QString proc = root.filePath(QStringLiteral("proc"));
    write(proc + QStringLiteral("/1/maps"), "55d0c000-55d0d000 r--p 00000000 08:01 131 /usr/bin/init\n");
    write(proc + QStringLiteral("/self/maps"), "");
    write(proc + QStringLiteral("/77/maps"), "7f00-7f10 rw-s 00000000 00:05 99 " + canonical.toUtf8() + "1\n");
    const CameraDevice camera{QStringLiteral("id"), {}, CameraDevice::Kind::V4l2, false, node};
    EXPECT_FALSE(CameraUsage::isRunningSomewhere(camera, proc)) << "video01 is another node";

    write(proc + QStringLiteral("/4242/maps"),
          "7f00-7f10 r--p 00000000 08:01 5 /usr/lib/libc.so.6\n7f20-7f80 rw-s 00000000 00:05 99 " + canonical.toUtf8() + "\n");
    EXPECT_TRUE(CameraUsage::isRunningSomewhere(camera, proc));
    EXPECT_FALSE(CameraUsage::isRunningSomewhere(camera, root.filePath(QStringLiteral("no-proc"))));
}

TEST(CameraUsageScan, sampleCamerasReportTheSharedVariable) {
    const CameraDevice sample{QStringLiteral("file:/x"), {}, CameraDevice::Kind::Sample, false, QStringLiteral("/x")};
    qunsetenv("TISKO_CAMERA_SHARED");
    EXPECT_FALSE(CameraUsage::isRunningSomewhere(sample));
    qputenv("TISKO_CAMERA_SHARED", "1");
    EXPECT_TRUE(CameraUsage::isRunningSomewhere(sample));
    qputenv("TISKO_CAMERA_SHARED", "0");
    EXPECT_FALSE(CameraUsage::isRunningSomewhere(sample));
    qunsetenv("TISKO_CAMERA_SHARED");
}
