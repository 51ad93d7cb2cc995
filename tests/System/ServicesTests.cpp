// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The autostart entry (the first-run rule, what counts as enabled), the camera and head-tracker
// permissions and the desktop's notification panel, in a private home.
#include "EventLoop.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/LoginItem.h"
#include "Tisko/System/Permissions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

TEST(LoginItemTests, firstRunRegistersOnceNeverOverridesTheUserAndReadsTheDesktopsSwitch) {
    application();
    const TempHome home;
    Log::restartForTesting();
    EXPECT_EQ(LoginItem::entryPath(),
              home.configHome() + QStringLiteral("/autostart/" TISKO_APP_ID ".desktop"));
    EXPECT_FALSE(LoginItem::isEnabled());
    LoginItem::enableOnFirstRun();
    EXPECT_TRUE(SettingsStore::loginItemConfigured());
    EXPECT_TRUE(LoginItem::isEnabled());
    // The entry starts this very binary by its absolute path.
    EXPECT_TRUE(
        readFile(LoginItem::entryPath())
            .contains("Exec=\"" + QFile::encodeName(LoginItem::program()) + "\" --autostart\n"));
    EXPECT_TRUE(QDir::isAbsolutePath(LoginItem::program()));

    LoginItem::setEnabled(false);
    EXPECT_FALSE(QFile::exists(LoginItem::entryPath()));
    LoginItem::enableOnFirstRun();
    EXPECT_FALSE(LoginItem::isEnabled());

    // Entries the desktop switched off read as disabled.
    const std::pair<const char*, bool> cases[] = {
        {"[Desktop Entry]\nExec=tisko\nHidden=true\n", false},
        {"[Desktop Entry]\nExec=tisko\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Other]\nHidden=true\n[Desktop Entry]\nExec=tisko\n", true},
    };
    for (const auto& [text, enabled] : cases) {
        writeFile(LoginItem::entryPath(), text);
        EXPECT_EQ(LoginItem::isEnabled(), enabled) << text;
    }
}

TEST(PermissionsTests, cameraNodesSampleCamerasTheTrackersPortAndTheNotificationPanel) {
    application();
    EXPECT_EQ(CameraPermission::stateOfNode(QStringLiteral("/nonexistent/video0")),
              PermissionState::unknown);
    EXPECT_EQ(CameraPermission::stateOfNode(QStringLiteral("/dev/null")), PermissionState::granted);
    CameraDevice refused{{}, {}, CameraDevice::Kind::V4l2, false, QStringLiteral("/dev/null")};
    refused.accessDenied = true;
    EXPECT_EQ(CameraPermission::stateOf(refused), PermissionState::denied);

    QTemporaryDir dir;
    const QString photo = dir.filePath(QStringLiteral("cara.png"));
    writeFile(photo, "png");
    qputenv("TISKO_CAMERAS", photo.toUtf8());
    EXPECT_EQ(CameraPermission::state(), PermissionState::granted);
    bool answered = false;
    CameraPermission::request([&](bool granted) { answered = granted; });
    EXPECT_TRUE(waitUntil([&] { return answered; }));
    qunsetenv("TISKO_CAMERAS");

    // The head tracker's port: ours, free, or another program's.
    QUdpSocket ours;
    ASSERT_TRUE(ours.bind(QHostAddress::LocalHost, 0));
    const quint16 port = ours.localPort();
    // Held by this process: still granted, and found in the real tables.
    EXPECT_TRUE(MotionPermission::heldByThisProcess(port));
    EXPECT_EQ(MotionPermission::state(port), PermissionState::granted);
    ours.close();
    EXPECT_FALSE(MotionPermission::heldByThisProcess(port));
    EXPECT_EQ(MotionPermission::state(port), PermissionState::granted);

    // Another program's socket on port 4242 (0x1092): its inode is none of ours.
    const QString table = dir.filePath(QStringLiteral("udp"));
    writeFile(table,
              "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   "
              "uid  timeout inode ref pointer drops\n  12: 0100007F:1092 00000000:0000 07 "
              "00000000:00000000 00:00000000 00000000  1001        0 999999999 2 0 0\n");
    EXPECT_FALSE(MotionPermission::heldByThisProcess(4242, table));

    // The desktop's notification panel: the running desktop's, and only when installed.
    QTemporaryDir bin;
    writeFile(bin.filePath(QStringLiteral("systemsettings")), "#!/bin/sh\n");
    QFile::setPermissions(bin.filePath(QStringLiteral("systemsettings")),
                          QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    EXPECT_EQ(DesktopSettings::notificationsCommand(QStringLiteral("KDE")),
              (QStringList{QStringLiteral("systemsettings"), QStringLiteral("kcm_notifications")}));
    EXPECT_EQ(DesktopSettings::notificationsCommand(QStringLiteral("ubuntu:GNOME")), QStringList());
    EXPECT_EQ(DesktopSettings::notificationsCommand(QString()), QStringList());
    qputenv("PATH", path);
}

} // namespace
} // namespace tisko::test
