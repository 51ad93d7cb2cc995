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
    std::optional<bool> ask(const QString& desktop, const QString& gsettings = u"gsettings"_qs,
                            int timeoutMs = 2000) {
        QObject context;
        std::vector<bool> answers;
        NotificationSwitch(appEntry, {desktop, config.path(), gsettings})
            .query(
                &context, [&](bool on) { answers.push_back(on); }, timeoutMs);
        EXPECT_TRUE(answers.empty()) << "answered synchronously";
        test::waitUntil([&] { return !answers.empty(); });
        test::spin(100ms);
        EXPECT_LE(answers.size(), 1u);
        return answers.empty() ? std::nullopt : std::optional<bool>(answers.front());
    }

    QTemporaryDir config;
};

TEST_F(NotificationSwitchTests, plasmaReadsTheApplicationsGroupOfTheUsersSettings) {
    EXPECT_EQ(ask(u"KDE"_qs), true); // no plasmanotifyrc yet
    const QString rc = config.filePath(QStringLiteral("plasmanotifyrc"));
    const QByteArray group = "[Applications][io.github.tisko.Tisko]\n";
    ASSERT_TRUE(test::writeFile(rc, "[DoNotDisturb]\nUntil=x\n\n" + group + " ShowPopups = 0 \n"));
    EXPECT_EQ(ask(u"KDE"_qs), false);
    // Another desktop does not read Plasma's file.
    EXPECT_EQ(ask(u"XFCE"_qs), true);

    // Another application's group, the key outside any group, a later "true".
    for (const QByteArray& text :
         {QByteArray("[Applications][org.kde.konsole]\nShowPopups=false\n"),
          "ShowPopups=false\n" + group, group + "ShowPopups=false\nShowPopups=true\n"})
        EXPECT_TRUE(NotificationSwitch::plasmaShowsPopups(QString::fromUtf8(text), appEntry))
            << text.constData();
}

TEST_F(NotificationSwitchTests, gnomeReadsTheApplicationsEnableKeyAndAFailingGsettingsSaysOn) {
    // gsettings with its key-file backend reads $XDG_CONFIG_HOME/glib-2.0/settings/keyfile.
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    EXPECT_EQ(ask(u"ubuntu:GNOME"_qs), true);
    const QString keyfile = config.filePath(QStringLiteral("glib-2.0/settings/keyfile"));
    const QByteArray group =
        "[org/gnome/desktop/notifications/application/io-github-tisko-tisko]\n";
    ASSERT_TRUE(test::writeFile(keyfile, group + "enable=false\n"));
    EXPECT_EQ(ask(u"ubuntu:GNOME"_qs), false);
    ASSERT_TRUE(test::writeFile(keyfile, group + "enable=true\n"));
    EXPECT_EQ(ask(u"ubuntu:GNOME"_qs), true);
    qunsetenv("GSETTINGS_BACKEND");
    qunsetenv("XDG_CONFIG_HOME");

    EXPECT_EQ(ask(u"GNOME"_qs, u"/nonexistent/gsettings"_qs), true);
    // A gsettings that never answers: the timeout answers instead, once.
    const QString hanging = config.filePath(QStringLiteral("gsettings"));
    ASSERT_TRUE(test::writeFile(hanging, "#!/bin/sh\nexec sleep 30\n"));
    QFile::setPermissions(hanging, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(ask(u"GNOME"_qs, hanging, 200), true);
}

} // namespace
} // namespace tisko
