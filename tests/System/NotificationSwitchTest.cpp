#include "NotificationTestServers.h"

#include "Tisko/System/NotificationSwitch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace tisko {
namespace {

const QString kEntry = QStringLiteral("io.github.tisko.Tisko");

class NotificationSwitchTest : public ::testing::Test {
protected:
    void SetUp() override { test::application(); }

    // Asks the switch and waits for its one answer.
    std::optional<bool> ask(const NotificationSwitch::Environment& environment) {
        QObject context;
        int answers = 0;
        std::optional<bool> enabled;
        NotificationSwitch(kEntry, environment).query(&context, [&](bool on) {
            ++answers;
            enabled = on;
        });
        EXPECT_FALSE(enabled.has_value()) << "answered synchronously";
        test::waitFor([&] { return answers > 0; });
        test::spin(50);
        EXPECT_LE(answers, 1);
        return enabled;
    }

    void write(const QString& path, const QByteArray& text) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir config;
};

TEST(NotificationSwitchNames, gnomeKeysTheApplicationByItsCanonicalId) {
    EXPECT_EQ(
        NotificationSwitch::gnomeSettingsPath(kEntry),
        QStringLiteral("/org/gnome/desktop/notifications/application/io-github-tisko-tisko/"));
    EXPECT_EQ(NotificationSwitch::gnomeSettingsPath(QStringLiteral("Ab_c d-9")),
              QStringLiteral("/org/gnome/desktop/notifications/application/ab-c-d-9/"));
}

TEST(NotificationSwitchNames, plasmaPopupsAreOnUnlessTheApplicationGroupSaysOff) {
    const QString off = QStringLiteral("[Applications][io.github.tisko.Tisko]\nShowPopups=false\n");
    EXPECT_FALSE(NotificationSwitch::plasmaShowsPopups(off, kEntry));
    EXPECT_FALSE(NotificationSwitch::plasmaShowsPopups(
        QStringLiteral("[DoNotDisturb]\nUntil=x\n\n[Applications][io.github.tisko.Tisko]\n"
                       "ShowInHistory=true\n ShowPopups = 0 \n"),
        kEntry));
    EXPECT_TRUE(NotificationSwitch::plasmaShowsPopups(
        QStringLiteral("[Applications][org.kde.konsole]\nShowPopups=false\n"), kEntry));
    // The key outside the application's group, a later "true", and an empty file.
    EXPECT_TRUE(NotificationSwitch::plasmaShowsPopups(
        QStringLiteral("ShowPopups=false\n[Applications][io.github.tisko.Tisko]\n"), kEntry));
    EXPECT_TRUE(
        NotificationSwitch::plasmaShowsPopups(off + QStringLiteral("ShowPopups=true\n"), kEntry));
    EXPECT_TRUE(NotificationSwitch::plasmaShowsPopups(QString(), kEntry));
}

TEST_F(NotificationSwitchTest, plasmaReadsTheUsersNotificationSettings) {
    NotificationSwitch::Environment plasma{QStringLiteral("KDE"), config.path()};
    EXPECT_EQ(ask(plasma), true); // no plasmanotifyrc yet

    write(config.filePath(QStringLiteral("plasmanotifyrc")),
          "[Applications][io.github.tisko.Tisko]\nShowPopups=false\n");
    EXPECT_EQ(ask(plasma), false);
    // Another desktop does not read Plasma's file.
    EXPECT_EQ(ask({QStringLiteral("XFCE"), config.path()}), true);
}

TEST_F(NotificationSwitchTest, gnomeReadsTheApplicationsEnableKey) {
    // gsettings with its key-file backend reads $XDG_CONFIG_HOME/glib-2.0/settings/keyfile.
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    NotificationSwitch::Environment gnome{QStringLiteral("ubuntu:GNOME"), config.path()};
    EXPECT_EQ(ask(gnome), true);

    const QString keyfile = config.filePath(QStringLiteral("glib-2.0/settings/keyfile"));
    write(keyfile, "[org/gnome/desktop/notifications/application/io-github-tisko-tisko]\n"
                   "enable=false\n");
    EXPECT_EQ(ask(gnome), false);
    write(keyfile, "[org/gnome/desktop/notifications/application/io-github-tisko-tisko]\n"
                   "enable=true\n");
    EXPECT_EQ(ask(gnome), true);

    qunsetenv("GSETTINGS_BACKEND");
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(NotificationSwitchTest, aMissingOrHangingGsettingsLeavesNotificationsOn) {
    NotificationSwitch::Environment missing{QStringLiteral("GNOME"), config.path(),
                                            QStringLiteral("/nonexistent/gsettings")};
    EXPECT_EQ(ask(missing), true);

    // A gsettings that never answers: the timeout answers instead, once.
    const QString hanging = config.filePath(QStringLiteral("gsettings"));
    write(hanging, "#!/bin/sh\nexec sleep 30\n");
    QFile::setPermissions(hanging, QFile::ReadOwner | QFile::ExeOwner);
    QObject context;
    int answers = 0;
    bool enabled = false;
    NotificationSwitch(kEntry, {QStringLiteral("GNOME"), config.path(), hanging})
        .query(
            &context,
            [&](bool on) {
                ++answers;
                enabled = on;
            },
            200);
    ASSERT_TRUE(test::waitFor([&] { return answers > 0; }, 3000));
    test::spin(100);
    EXPECT_EQ(answers, 1);
    EXPECT_TRUE(enabled);
}

} // namespace
} // namespace tisko
