// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NotificationTestServers.h"
#include "TestFiles.h"

#include "Tisko/System/NotificationSwitch.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace tisko {
namespace {

using namespace std::chrono_literals;

const QString appEntry = QStringLiteral("io.github.tisko.Tisko");

class NotificationSwitchTests : public ::testing::Test {
protected:
    void SetUp() override { test::application(); }

    // Asks the switch and waits for its one answer.
    std::optional<bool> ask(const NotificationSwitch::Environment& environment,
                            int timeoutMs = 2000) {
        QObject context;
        int answers = 0;
        std::optional<bool> enabled;
        NotificationSwitch(appEntry, environment)
            .query(
                &context,
                [&](bool on) {
                    ++answers;
                    enabled = on;
                },
                timeoutMs);
        EXPECT_FALSE(enabled.has_value()) << "answered synchronously";
        test::waitUntil([&] { return answers > 0; });
        test::spin(100ms);
        EXPECT_LE(answers, 1);
        return enabled;
    }

    QTemporaryDir config;
};

TEST(NotificationSwitchNames, plasmaPopupsAreOnUnlessTheApplicationGroupSaysOff) {
    const char* off = "[Applications][io.github.tisko.Tisko]\nShowPopups=false\n";
    const std::pair<QString, bool> cases[] = {
        {QString::fromUtf8(off), false},
        {QStringLiteral("[DoNotDisturb]\nUntil=x\n\n[Applications][io.github.tisko.Tisko]\n"
                        "ShowInHistory=true\n ShowPopups = 0 \n"),
         false},
        {QStringLiteral("[Applications][org.kde.konsole]\nShowPopups=false\n"), true},
        // The key outside the application's group, a later "true", and an empty file.
        {QStringLiteral("ShowPopups=false\n[Applications][io.github.tisko.Tisko]\n"), true},
        {QString::fromUtf8(off) + QStringLiteral("ShowPopups=true\n"), true},
        {QString(), true},
    };
    for (const auto& [text, shows] : cases)
        EXPECT_EQ(NotificationSwitch::plasmaShowsPopups(text, appEntry), shows) << text.toStdString();
}

TEST_F(NotificationSwitchTests, plasmaReadsTheUsersNotificationSettings) {
    NotificationSwitch::Environment plasma{QStringLiteral("KDE"), config.path()};
    EXPECT_EQ(ask(plasma), true); // no plasmanotifyrc yet

    ASSERT_TRUE(test::writeFile(config.filePath(QStringLiteral("plasmanotifyrc")),
                                "[Applications][io.github.tisko.Tisko]\nShowPopups=false\n"));
    EXPECT_EQ(ask(plasma), false);
    // Another desktop does not read Plasma's file.
    EXPECT_EQ(ask({QStringLiteral("XFCE"), config.path()}), true);
}

TEST_F(NotificationSwitchTests, gnomeReadsTheApplicationsEnableKey) {
    // gsettings with its key-file backend reads $XDG_CONFIG_HOME/glib-2.0/settings/keyfile.
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    NotificationSwitch::Environment gnome{QStringLiteral("ubuntu:GNOME"), config.path()};
    EXPECT_EQ(ask(gnome), true);

    const QString keyfile = config.filePath(QStringLiteral("glib-2.0/settings/keyfile"));
    const QByteArray group =
        "[org/gnome/desktop/notifications/application/io-github-tisko-tisko]\n";
    ASSERT_TRUE(test::writeFile(keyfile, group + "enable=false\n"));
    EXPECT_EQ(ask(gnome), false);
    ASSERT_TRUE(test::writeFile(keyfile, group + "enable=true\n"));
    EXPECT_EQ(ask(gnome), true);

    qunsetenv("GSETTINGS_BACKEND");
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(NotificationSwitchTests, aMissingOrHangingGsettingsLeavesNotificationsOn) {
    EXPECT_EQ(
        ask({QStringLiteral("GNOME"), config.path(), QStringLiteral("/nonexistent/gsettings")}),
        true);

    // A gsettings that never answers: the timeout answers instead, once.
    const QString hanging = config.filePath(QStringLiteral("gsettings"));
    ASSERT_TRUE(test::writeFile(hanging, "#!/bin/sh\nexec sleep 30\n"));
    QFile::setPermissions(hanging, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(ask({QStringLiteral("GNOME"), config.path(), hanging}, 200), true);
}

} // namespace
} // namespace tisko
