// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"

#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>

#include <chrono>

#include <sys/stat.h>

namespace tisko {
namespace {

using namespace std::chrono_literals;

class SettingsStoreTests : public ::testing::Test {
protected:
    test::TempHome home;

    void SetUp() override { Log::restartForTesting(); }

    // What `getter` reads once `key` holds `text`, as a hand-edited file would hold it.
    template <typename Getter> auto read(QLatin1String key, const char* text, Getter getter) {
        QSettings(SettingsStore::filePath(), QSettings::IniFormat)
            .setValue(QString(key), QString::fromLatin1(text));
        return getter();
    }
    QVariant raw(const QString& key) const {
        return QSettings(SettingsStore::filePath(), QSettings::IniFormat).value(key);
    }
};

Date dateAt(long long secondsSinceEpoch) {
    return Date(std::chrono::seconds(secondsSinceEpoch));
}

TEST_F(SettingsStoreTests, nothingStoredOrAFileThatIsNotIniGivesTheDefaults) {
    EXPECT_EQ(SettingsStore::filePath(), home.configHome() + QStringLiteral("/Tisko/Tisko.conf"));
    EXPECT_EQ(SettingsStore::interval(), 180);
    EXPECT_EQ(SettingsStore::cooldown(), 600);
    EXPECT_TRUE(SettingsStore::watchCloseness() && SettingsStore::watchSlouch() &&
                SettingsStore::useAirPods() && SettingsStore::soundsEnabled() &&
                SettingsStore::autoSelectByDisplays() && SettingsStore::showsMenuBarIcon());
    EXPECT_FALSE(SettingsStore::pausedUntil() || SettingsStore::loginItemConfigured() ||
                 SettingsStore::previewUpdate() || SettingsStore::updateFeedURL());
    EXPECT_FALSE(QFile::exists(SettingsStore::filePath())); // reading writes nothing

    static const char garbage[] =
        "\x00\xff[[[\n=\ninterval\nsensitivity=\x01\x02\n[General\nsounds";
    ASSERT_TRUE(
        test::writeFile(SettingsStore::filePath(), QByteArray(garbage, sizeof garbage - 1)));
    EXPECT_EQ(SettingsStore::sensitivity(), 3);
    SettingsStore::setPausedUntil(dateAt(1765033320)); // the file is rewritten in good form
    EXPECT_EQ(SettingsStore::pausedUntil(), dateAt(1765033320));
    EXPECT_TRUE(test::loggedLines().isEmpty());
}

TEST_F(SettingsStoreTests, valuesOutOfRangeOrOfTheWrongFormReadTheDefaults) {
    using S = SettingsStore;
    EXPECT_EQ(read(S::intervalKey, "30", S::interval), 30);
    EXPECT_EQ(read(S::intervalKey, "inf", S::interval), 180);
    EXPECT_EQ(read(S::sensitivityKey, "6", S::sensitivity), 3);
    EXPECT_EQ(read(S::sensitivityKey, "99999999999999", S::sensitivity), 3);
    EXPECT_EQ(read(S::sensitivityKey, "5", S::sensitivity), 5);
    EXPECT_EQ(read(S::sensitivityKey, "1.0", S::sensitivity), 1);
    EXPECT_EQ(read(S::cooldownMinutesKey, "0", S::cooldown), 600);
    EXPECT_EQ(read(S::cooldownMinutesKey, "0.5", S::cooldown), 30);
    // Booleans take only the texts true and false.
    EXPECT_FALSE(read(S::watchSlouchKey, "false", S::watchSlouch));
    EXPECT_TRUE(read(S::soundsEnabledKey, "FALSE", S::soundsEnabled));
    EXPECT_TRUE(read(S::loginItemConfiguredKey, "true", S::loginItemConfigured));
}

TEST_F(SettingsStoreTests, datesAreStoredAsIsoTextAndAPauseOrHintHoldsOnlyUntilItsDate) {
    SettingsStore::setPausedUntil(dateAt(1765033320));
    EXPECT_EQ(raw(QString(SettingsStore::pausedUntilKey)), QStringLiteral("2025-12-06T15:02:00Z"));
    EXPECT_EQ(SettingsStore::pausedUntil(), dateAt(1765033320));
    EXPECT_EQ(test::modeOf(home.configHome() + QStringLiteral("/Tisko")), 0700u);
    SettingsStore::setPausedUntil(std::nullopt);
    EXPECT_FALSE(raw(QString(SettingsStore::pausedUntilKey)).isValid());

    const Uuid id = *Uuid::parse("0f8e2a4c-1b3d-4e5f-8a9b-0c1d2e3f4a5b");
    const Uuid other = *Uuid::parse("00000000-0000-0000-0000-000000000000");
    const Date now = dateAt(1765033320);
    SettingsStore::setReferenceHintDismissed(id, now + 86400s);
    EXPECT_TRUE(SettingsStore::referenceHintDismissed(id, now));
    EXPECT_FALSE(SettingsStore::referenceHintDismissed(id, now + 86400s));
    EXPECT_FALSE(SettingsStore::referenceHintDismissed(other, now));
    EXPECT_TRUE(raw(QStringLiteral("referenceHintDismissed.0F8E2A4C-1B3D-4E5F-8A9B-0C1D2E3F4A5B"))
                    .isValid());
}

TEST_F(SettingsStoreTests, onlyChangesThatReachTheFileAreAnnouncedAndAFailedWriteIsLogged) {
    QStringList changed;
    QObject::connect(SettingsStore::notifier(), &SettingsNotifier::changed,
                     [&](const QString& key) { changed << key; });
    SettingsStore::setSoundsEnabled(false);
    SettingsStore::setSoundsEnabled(false);
    SettingsStore::setInterval(60);
    SettingsStore::setInterval(60);
    SettingsStore::setPausedUntil(std::nullopt); // nothing to remove
    SettingsStore::setSoundsEnabled(true);
    EXPECT_EQ(changed, (QStringList{QStringLiteral("soundsEnabled"), QStringLiteral("interval"),
                                    QStringLiteral("soundsEnabled")}));

    // A plain file where the settings folder should be: nothing can be written below it.
    ASSERT_TRUE(QDir(home.configHome() + QStringLiteral("/Tisko")).removeRecursively());
    ASSERT_TRUE(test::writeFile(home.configHome() + QStringLiteral("/Tisko"), {}));
    SettingsStore::setWatchSlouch(false);
    SettingsStore::notifier()->disconnect();
    EXPECT_EQ(changed.size(), 3);
    EXPECT_EQ(test::loggedErrors(),
              QStringList{QStringLiteral("No se ha podido guardar Tisko.conf: no se puede "
                                         "escribir en el archivo")});
    EXPECT_TRUE(SettingsStore::watchSlouch());
}

TEST_F(SettingsStoreTests, aFifoInPlaceOfTheFileOrItsLockIsNeverOpened) {
    // Opening a FIFO waits for a writer that never comes, with the settings lock held.
    const QByteArray path = QFile::encodeName(SettingsStore::filePath());
    ASSERT_TRUE(QDir().mkpath(home.configHome() + QStringLiteral("/Tisko")));
    ASSERT_EQ(::mkfifo(path.constData(), 0600), 0);
    EXPECT_EQ(SettingsStore::interval(), 180);
    SettingsStore::setSoundsEnabled(false);
    EXPECT_EQ(
        test::loggedErrors(),
        QStringList{QStringLiteral("Los ajustes ") + SettingsStore::filePath() +
                    QStringLiteral(" no son un archivo normal: uso los valores por omisión")});

    // A regular file again, but its lock a FIFO: reading works, writing is refused.
    ASSERT_TRUE(QFile::remove(SettingsStore::filePath()));
    ASSERT_FALSE(read(SettingsStore::soundsEnabledKey, "false", SettingsStore::soundsEnabled));
    ASSERT_EQ(::mkfifo((path + ".lock").constData(), 0600), 0);
    EXPECT_FALSE(SettingsStore::soundsEnabled());
    SettingsStore::setSoundsEnabled(true);
    EXPECT_FALSE(SettingsStore::soundsEnabled());
    EXPECT_EQ(test::loggedErrors().size(), 2);
}

} // namespace
} // namespace tisko
