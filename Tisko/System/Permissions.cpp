// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/Permissions.h"

#include "Tisko/Camera/Cameras.h"
#include "Tisko/Support/UdpTable.h"
#include "Tisko/Support/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUdpSocket>

#include <cerrno>
#include <unistd.h>

namespace tisko {

PermissionState CameraPermission::stateOfNode(const QString& node) {
    const QByteArray path = QFile::encodeName(node);
    if (::access(path.constData(), R_OK | W_OK) == 0)
        return PermissionState::granted;
    return errno == EACCES || errno == EPERM || errno == EROFS ? PermissionState::denied
                                                               : PermissionState::unknown;
}

PermissionState CameraPermission::state() {
    const std::optional<CameraDevice> camera = Cameras::device(std::nullopt);
    // Inside a sandbox the camera portal's refusal is the user's "no".
    if (!camera && PipeWireCameras::shared().accessDenied())
        return PermissionState::denied;
    return stateOf(camera);
}

PermissionState CameraPermission::stateOf(const std::optional<CameraDevice>& camera) {
    if (!camera)
        return PermissionState::unknown;
    // A PipeWire node that is listed is one this user may receive.
    if (camera->kind == CameraDevice::Kind::Sample || camera->kind == CameraDevice::Kind::PipeWire)
        return PermissionState::granted;
    if (camera->accessDenied)
        return PermissionState::denied;
    return stateOfNode(camera->path);
}

void CameraPermission::request(std::function<void(bool)> done) {
    QTimer::singleShot(0, QCoreApplication::instance(), [done = std::move(done)] {
        if (done)
            done(state() == PermissionState::granted);
    });
}

bool MotionPermission::heldByThisProcess(quint16 port, const QString& procNetUdp,
                                         const QString& fdFolder) {
    QStringList inodes;
    for (const UdpTable::Socket& socket : UdpTable::read(procNetUdp)) {
        if (socket.port == port && socket.address == QHostAddress(QHostAddress::LocalHost))
            inodes << QStringLiteral("socket:[%1]").arg(QString::fromLatin1(socket.inode));
    }
    if (inodes.isEmpty())
        return false;
    const QDir fds(fdFolder);
    for (const QString& fd :
         fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        // A socket's link reads "socket:[inode]"; QFile would resolve it as a path.
        char target[64] = {};
        const QByteArray link = QFile::encodeName(fds.filePath(fd));
        const ssize_t length = ::readlink(link.constData(), target, sizeof target - 1);
        if (length > 0 && inodes.contains(QString::fromLatin1(target, length)))
            return true;
    }
    return false;
}

PermissionState MotionPermission::state(quint16 port) {
    QUdpSocket probe;
    if (probe.bind(QHostAddress::LocalHost, port))
        return PermissionState::granted;
    return heldByThisProcess(port) ? PermissionState::granted : PermissionState::denied;
}

QStringList DesktopSettings::notificationsCommand(const QString& currentDesktop) {
    struct Panel {
        const char* desktop;
        QStringList command;
    };
    const Panel panels[] = {
        {"GNOME", {QStringLiteral("gnome-control-center"), QStringLiteral("notifications")}},
        {"Unity", {QStringLiteral("gnome-control-center"), QStringLiteral("notifications")}},
        {"KDE", {QStringLiteral("systemsettings"), QStringLiteral("kcm_notifications")}},
        {"XFCE", {QStringLiteral("xfce4-notifyd-config")}},
        {"X-Cinnamon", {QStringLiteral("cinnamon-settings"), QStringLiteral("notifications")}},
        {"MATE", {QStringLiteral("mate-notification-properties")}},
    };
    for (const QString& desktop : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const Panel& panel : panels) {
            if (desktop.compare(QLatin1String(panel.desktop), Qt::CaseInsensitive) == 0 &&
                !QStandardPaths::findExecutable(panel.command.first()).isEmpty())
                return panel.command;
        }
    }
    return {};
}

bool DesktopSettings::openNotifications() {
    const QStringList command = notificationsCommand(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (command.isEmpty())
        return false;
    if (!QProcess::startDetached(command.first(), command.mid(1))) {
        Log::error(QStringLiteral("Ajustes del escritorio: no se ha podido abrir ") +
                   command.join(QLatin1Char(' ')));
        return false;
    }
    return true;
}

} // namespace tisko
