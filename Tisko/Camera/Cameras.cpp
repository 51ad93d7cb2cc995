// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/Cameras.h"

#include "Tisko/Support/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

#include <linux/videodev2.h>

#include <cerrno>
#include <fcntl.h>

namespace tisko {

namespace {

QString readLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

// The link in `folder` that points at `node`, if any.
QString linkTo(const QString& folder, const QString& node) {
    const QDir dir(folder);
    const QString target = QFileInfo(node).canonicalFilePath();
    QStringList names =
        dir.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QFileInfo link(dir.filePath(name));
        if (link.canonicalFilePath() == target && !target.isEmpty())
            return link.absoluteFilePath();
    }
    return {};
}

// A camera fixed in the computer: some device above the node says it is not removable,
// or that it sits in the lid.
bool isBuiltIn(const QString& sysNode) {
    QString dir = QFileInfo(sysNode + QStringLiteral("/device")).canonicalFilePath();
    for (int depth = 0; depth < 6 && !dir.isEmpty() && dir != QStringLiteral("/"); ++depth) {
        const QString removable = readLine(dir + QStringLiteral("/removable"));
        if (removable == QStringLiteral("fixed"))
            return true;
        if (removable == QStringLiteral("removable"))
            return false;
        if (readLine(dir + QStringLiteral("/physical_location/panel")) == QStringLiteral("lid"))
            return true;
        dir = QFileInfo(dir).path();
    }
    return false;
}

} // namespace

std::vector<CameraDevice> Cameras::all() {
    std::vector<CameraDevice> cameras = captureNodes(
        V4l2System::real(), QStringLiteral("/sys/class/video4linux"), QStringLiteral("/dev"));
    // No PipeWire is a plain V4L2 system, not a fault: it is not logged here.
    if (const auto nodes = PipeWireCameras::shared().cameras())
        addPipeWireNodes(cameras, *nodes, QStringLiteral("/dev"));
    const std::vector<CameraDevice> samples = sampleCameras(qEnvironmentVariable("TISKO_CAMERAS"));
    cameras.insert(cameras.end(), samples.begin(), samples.end());
    return cameras;
}

std::optional<CameraDevice> Cameras::device(const std::optional<QString>& id) {
    return choose(all(), id);
}

std::optional<CameraDevice> Cameras::choose(const std::vector<CameraDevice>& cameras,
                                            const std::optional<QString>& id) {
    if (id) {
        for (const CameraDevice& camera : cameras) {
            if (camera.uniqueID == *id)
                return camera;
        }
    }
    if (cameras.empty())
        return std::nullopt;
    for (const CameraDevice& camera : cameras) {
        if (camera.builtIn)
            return camera;
    }
    return cameras.front();
}

namespace {

// The "videoN" nodes under `sysRoot`, by their number.
std::vector<std::pair<int, QString>> numberedNodes(const QString& sysRoot) {
    const QStringList names = QDir(sysRoot).entryList(
        {QStringLiteral("video*")}, QDir::Dirs | QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    static const QRegularExpression number(QStringLiteral("^video(\\d+)$"));
    std::vector<std::pair<int, QString>> ordered;
    for (const QString& name : names) {
        const QRegularExpressionMatch match = number.match(name);
        if (match.hasMatch())
            ordered.emplace_back(match.captured(1).toInt(), name);
    }
    std::sort(ordered.begin(), ordered.end());
    return ordered;
}

} // namespace

std::vector<CameraDevice> Cameras::captureNodes(V4l2System& system, const QString& sysRoot,
                                                const QString& devRoot) {
    std::vector<CameraDevice> cameras;
    for (const auto& [index, name] : numberedNodes(sysRoot)) {
        const QString node = devRoot + QLatin1Char('/') + name;
        const QString sysNode = sysRoot + QLatin1Char('/') + name;
        CameraDevice camera;
        camera.kind = CameraDevice::Kind::V4l2;
        camera.path = node;
        camera.uniqueID = linkTo(devRoot + QStringLiteral("/v4l/by-id"), node);
        if (camera.uniqueID.isEmpty())
            camera.uniqueID = linkTo(devRoot + QStringLiteral("/v4l/by-path"), node);
        if (camera.uniqueID.isEmpty())
            camera.uniqueID = node;
        camera.builtIn = isBuiltIn(sysNode);

        const int fd = system.open(node, O_RDWR | O_NONBLOCK);
        const int openError = errno;
        if (fd < 0) {
            // A node that refuses this user is a camera without permission, not a missing
            // one. Its capabilities cannot be asked: the device's first node (index 0) is
            // its capture node, the others (metadata) are left out.
            const QString nodeIndex = readLine(sysNode + QStringLiteral("/index"));
            if ((openError == EACCES || openError == EPERM) &&
                (nodeIndex.isEmpty() || nodeIndex == QStringLiteral("0"))) {
                camera.accessDenied = true;
                camera.localizedName = readLine(sysNode + QStringLiteral("/name"));
                cameras.push_back(camera);
            }
            continue;
        }
        v4l2_capability caps{};
        const bool answered = system.control(fd, VIDIOC_QUERYCAP, &caps) == 0;
        system.close(fd);
        if (!answered)
            continue;
        const std::uint32_t device =
            (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
        // Metadata nodes of the same camera have no video capture.
        if (!(device & V4L2_CAP_VIDEO_CAPTURE) || !(device & V4L2_CAP_STREAMING))
            continue;

        const auto* card = reinterpret_cast<const char*>(caps.card);
        camera.localizedName =
            QString::fromUtf8(card, static_cast<qsizetype>(strnlen(card, sizeof caps.card)));
        if (camera.localizedName.isEmpty())
            camera.localizedName = readLine(sysNode + QStringLiteral("/name"));
        cameras.push_back(camera);
    }
    return cameras;
}

void Cameras::addPipeWireNodes(std::vector<CameraDevice>& cameras,
                               const std::vector<PipeWireNode>& nodes, const QString& devRoot) {
    for (const PipeWireNode& node : nodes) {
        CameraDevice camera;
        if (!node.v4l2Path.isEmpty()) {
            const QString target = QFileInfo(node.v4l2Path).canonicalFilePath();
            const auto served = std::find_if(cameras.begin(), cameras.end(), [&](const auto& c) {
                return c.kind == CameraDevice::Kind::V4l2 && !target.isEmpty() &&
                       QFileInfo(c.path).canonicalFilePath() == target;
            });
            if (served != cameras.end()) {
                served->pipeWireNode = node.name;
                continue;
            }
            // The device is not visible here (a sandbox): the same identifier as outside.
            camera.uniqueID = linkTo(devRoot + QStringLiteral("/v4l/by-id"), node.v4l2Path);
            if (camera.uniqueID.isEmpty())
                camera.uniqueID = linkTo(devRoot + QStringLiteral("/v4l/by-path"), node.v4l2Path);
            if (camera.uniqueID.isEmpty())
                camera.uniqueID = node.v4l2Path;
        } else if (!node.libcameraPath.isEmpty()) {
            camera.uniqueID = QStringLiteral("libcamera:") + node.libcameraPath;
            camera.builtIn = node.libcameraLocation == QStringLiteral("front") ||
                             node.libcameraLocation == QStringLiteral("back");
        } else {
            camera.uniqueID = QStringLiteral("pipewire:") + node.name;
        }
        camera.kind = CameraDevice::Kind::PipeWire;
        camera.path = node.name;
        camera.localizedName = node.description;
        cameras.push_back(camera);
    }
}

std::vector<CameraDevice> Cameras::sampleCameras(const QString& list) {
    std::vector<CameraDevice> cameras;
    for (const QString& entry : list.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QFileInfo info(entry);
        if (!info.exists()) {
            // The list is read at every look: say it once.
            static QMutex reportedLock;
            static QSet<QString> reported;
            const QMutexLocker locker(&reportedLock);
            if (!reported.contains(entry)) {
                reported.insert(entry);
                Log::error(QStringLiteral("TISKO_CAMERAS: no existe ") + entry);
            }
            continue;
        }
        CameraDevice camera;
        camera.kind = CameraDevice::Kind::Sample;
        camera.path = info.absoluteFilePath();
        camera.uniqueID = QStringLiteral("file:") + camera.path;
        camera.localizedName = info.fileName();
        cameras.push_back(camera);
    }
    return cameras;
}

} // namespace tisko
