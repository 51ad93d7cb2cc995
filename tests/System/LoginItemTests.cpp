// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The autostart entry: the first-run rule, what counts as enabled, and failures.
#include "EventLoop.h"
#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/LoginItem.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

struct LoginItemTests : ::testing::Test {
    void SetUp() override {
        application();
        Log::restartForTesting();
    }
    void TearDown() override { Log::restartForTesting(); }
    QByteArray entry() const {
        QFile file(LoginItem::entryPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    TempHome home;
};

TEST_F(LoginItemTests, firstRunRegistersOnceAndNeverOverridesTheUser) {
    EXPECT_EQ(LoginItem::entryPath(),
              home.configHome() + QStringLiteral("/autostart/" TISKO_APP_ID ".desktop"));
    EXPECT_FALSE(LoginItem::isEnabled());
    LoginItem::enableOnFirstRun();
    EXPECT_TRUE(SettingsStore::loginItemConfigured());
    EXPECT_TRUE(LoginItem::isEnabled());
    // The entry starts this very binary by its absolute path.
    EXPECT_TRUE(
        entry().contains("Exec=\"" + QFile::encodeName(LoginItem::program()) + "\" --autostart\n"));
    EXPECT_TRUE(QDir::isAbsolutePath(LoginItem::program()));

    LoginItem::setEnabled(false);
    EXPECT_FALSE(QFile::exists(LoginItem::entryPath()));
    LoginItem::enableOnFirstRun();
    EXPECT_FALSE(LoginItem::isEnabled());
}

TEST_F(LoginItemTests, aFailedFirstRegistrationIsLoggedAndNotTriedAgain) {
    // A file where the autostart folder should be.
    QDir().mkpath(home.configHome());
    writeFile(home.configHome() + QStringLiteral("/autostart"), "not a folder");
    LoginItem::enableOnFirstRun();
    Log::flush();
    EXPECT_TRUE(SettingsStore::loginItemConfigured());
    ASSERT_EQ(loggedErrors().size(), 1);
    EXPECT_TRUE(loggedErrors().first().startsWith(QStringLiteral("Inicio de sesión: ")));

    QFile::remove(home.configHome() + QStringLiteral("/autostart"));
    LoginItem::enableOnFirstRun();
    EXPECT_FALSE(LoginItem::isEnabled());
}

TEST_F(LoginItemTests, entriesTheDesktopSwitchedOffReadAsDisabled) {
    const struct {
        const char* text;
        bool enabled;
    } cases[] = {
        {"[Desktop Entry]\nExec=tisko\n", true},
        {"[Desktop Entry]\nExec=tisko\nHidden=true\n", false},
        {"[Desktop Entry]\nExec=tisko\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Other]\nHidden=true\n[Desktop Entry]\nExec=tisko\n", true},
    };
    QDir().mkpath(home.configHome() + QStringLiteral("/autostart"));
    for (const auto& c : cases) {
        writeFile(LoginItem::entryPath(), c.text);
        EXPECT_EQ(LoginItem::isEnabled(), c.enabled) << c.text;
    }
}

} // namespace
} // namespace tisko::test
