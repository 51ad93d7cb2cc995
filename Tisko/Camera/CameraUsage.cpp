// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/CameraUsage.h"

#include "Tisko/Camera/PipeWireCameras.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tisko {

namespace {

// Whether one maps file names `node` in its path column.
bool mapsNode(const QString& mapsPath, const QByteArray& node) {
    QFile maps(mapsPath);
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    while (!maps.atEnd()) {
        const QByteArray line = maps.readLine().trimmed();
        // address perms offset dev inode path
        int field = 0;
        qsizetype at = 0;
        while (field < 5 && at < line.size()) {
            while (at < line.size() && line[at] != ' ')
                ++at;
            while (at < line.size() && line[at] == ' ')
                ++at;
            ++field;
        }
        if (field == 5 && line.mid(at) == node)
            return true;
    }
    return false;
}

} // namespace

bool CameraUsage::isRunningSomewhere(const CameraDevice& camera, const QString& procRoot) {
    if (camera.kind == CameraDevice::Kind::Sample) {
        const QString shared = qEnvironmentVariable("TISKO_CAMERA_SHARED").trimmed().toLower();
        return shared == QStringLiteral("1") || shared == QStringLiteral("true") ||
               shared == QStringLiteral("yes");
    }
    if (camera.kind == CameraDevice::Kind::PipeWire) {
        // Before Tisko connects, a running node streams to someone else.
        const auto nodes = PipeWireCameras::shared().cameras();
        return nodes && std::any_of(nodes->begin(), nodes->end(), [&](const PipeWireNode& node) {
                   return node.name == camera.path && node.running;
               });
    }
    QString node = QFileInfo(camera.path).canonicalFilePath();
    if (node.isEmpty())
        node = camera.path;
    const QByteArray wanted = node.toLocal8Bit();
    const QStringList processes = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : processes) {
        bool isNumber = false;
        pid.toLongLong(&isNumber);
        if (isNumber &&
            mapsNode(procRoot + QLatin1Char('/') + pid + QStringLiteral("/maps"), wanted))
            return true;
    }
    return false;
}

} // namespace tisko
