#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"

#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include <chrono>

namespace tisko {
namespace {

using namespace std::chrono_literals;

class SettingsStoreTest : public ::testing::Test {
protected:
    test::TempHome home;

    void SetUp() override { Log::restartForTesting(); }

    // Writes the raw text of a key as a hand-edited file would hold it.
    void store(const QString& key, const QString& text) {
        QSettings settings(SettingsStore::filePath(), QSettings::IniFormat);
        settings.setValue(key, text);
    }
};

Date dateAt(long long secondsSinceEpoch) {
    return Date(std::chrono::seconds(secondsSinceEpoch));
}

TEST_F(SettingsStoreTest, nothingStoredGivesTheDefaults) {
    EXPECT_EQ(SettingsStore::filePath(), home.configHome() + QStringLiteral("/Tisko/Tisko.conf"));
    EXPECT_EQ(SettingsStore::interval(), 180);
    EXPECT_EQ(SettingsStore::sensitivity(), 3);
    EXPECT_EQ(SettingsStore::thresholds(), (Thresholds{0.15, 0.50}));
    EXPECT_TRUE(SettingsStore::watchCloseness());
    EXPECT_TRUE(SettingsStore::watchSlouch());
    EXPECT_EQ(SettingsStore::cooldown(), 600);
    EXPECT_TRUE(SettingsStore::useAirPods());
    EXPECT_TRUE(SettingsStore::soundsEnabled());
    EXPECT_TRUE(SettingsStore::autoSelectByDisplays());
    EXPECT_TRUE(SettingsStore::showsMenuBarIcon());
    EXPECT_FALSE(SettingsStore::pausedUntil());
    EXPECT_FALSE(SettingsStore::loginItemConfigured());
    EXPECT_FALSE(SettingsStore::previewUpdate());
    EXPECT_FALSE(QFile::exists(SettingsStore::filePath())); // reading writes nothing
}

TEST_F(SettingsStoreTest, intervalBelowThirtySecondsOrNotANumberGivesTheDefault) {
    const std::pair<const char*, double> cases[] = {
        {"20", 180},  {"30", 30}, {"29.9", 180}, {"600", 600}, {"-40", 180},
        {"abc", 180}, {"", 180},  {"inf", 180},  {"nan", 180}, {" 45 ", 45}};
    for (const auto& [text, expected] : cases) {
        store(QString(SettingsStore::intervalKey), QString::fromLatin1(text));
        EXPECT_EQ(SettingsStore::interval(), expected) << text;
    }
}

TEST_F(SettingsStoreTest, sensitivityOutsideOneToFiveGivesNormal) {
    for (const char* text : {"0", "6", "-1", "muy", "99999999999999"}) {
        store(QString(SettingsStore::sensitivityKey), QString::fromLatin1(text));
        EXPECT_EQ(SettingsStore::thresholds(), (Thresholds{0.15, 0.50})) << text;
    }
    store(QString(SettingsStore::sensitivityKey), QStringLiteral("5"));
    EXPECT_EQ(SettingsStore::thresholds(), (Thresholds{0.07, 0.30}));
    store(QString(SettingsStore::sensitivityKey), QStringLiteral("1.0"));
    EXPECT_EQ(SettingsStore::sensitivity(), 1);
}

TEST_F(SettingsStoreTest, cooldownAtOrBelowZeroGivesTenMinutes) {
    const std::pair<const char*, double> cases[] = {{"0", 600},  {"-5", 600},  {"0.5", 30},
                                                    {"15", 900}, {"inf", 600}, {"diez", 600}};
    for (const auto& [text, expected] : cases) {
        store(QString(SettingsStore::cooldownMinutesKey), QString::fromLatin1(text));
        EXPECT_EQ(SettingsStore::cooldown(), expected) << text;
    }
}

TEST_F(SettingsStoreTest, booleansOnlyTakeTrueOrFalseTextAnythingElseReadsTrue) {
    store(QString(SettingsStore::watchSlouchKey), QStringLiteral("false"));
    store(QString(SettingsStore::soundsEnabledKey), QStringLiteral("0"));
    store(QString(SettingsStore::useAirPodsKey), QStringLiteral("FALSE"));
    store(QString(SettingsStore::watchClosenessKey), QStringLiteral("no"));
    store(QString(SettingsStore::loginItemConfiguredKey), QStringLiteral("sí"));
    EXPECT_FALSE(SettingsStore::watchSlouch());
    EXPECT_TRUE(SettingsStore::soundsEnabled());
    EXPECT_TRUE(SettingsStore::useAirPods());
    EXPECT_TRUE(SettingsStore::watchCloseness());
    EXPECT_FALSE(SettingsStore::loginItemConfigured()); // its default is false
}

TEST_F(SettingsStoreTest, pauseIsStoredAsIsoTextAndResumingRemovesTheKey) {
    SettingsStore::setPausedUntil(dateAt(1765033320));
    EXPECT_EQ(QSettings(SettingsStore::filePath(), QSettings::IniFormat)
                  .value(QString(SettingsStore::pausedUntilKey)),
              QStringLiteral("2025-12-06T15:02:00Z"));
    EXPECT_EQ(SettingsStore::pausedUntil(), dateAt(1765033320));

    SettingsStore::setPausedUntil(std::nullopt);
    EXPECT_FALSE(QSettings(SettingsStore::filePath(), QSettings::IniFormat)
                     .contains(QString(SettingsStore::pausedUntilKey)));

    for (const char* text : {"mañana", "2025-13-40T00:00:00Z", "1765033320", ""}) {
        store(QString(SettingsStore::pausedUntilKey), QString::fromUtf8(text));
        EXPECT_FALSE(SettingsStore::pausedUntil()) << text;
    }
}

TEST_F(SettingsStoreTest, hintIsDismissedOnlyUntilTheStoredDate) {
    const Uuid id = *Uuid::parse("0f8e2a4c-1b3d-4e5f-8a9b-0c1d2e3f4a5b");
    const Uuid other = *Uuid::parse("00000000-0000-0000-0000-000000000000");
    const Date now = dateAt(1765033320);
    SettingsStore::setReferenceHintDismissed(id, now + 86400s);
    EXPECT_TRUE(SettingsStore::referenceHintDismissed(id, now));
    EXPECT_FALSE(SettingsStore::referenceHintDismissed(id, now + 86400s));
    EXPECT_FALSE(SettingsStore::referenceHintDismissed(other, now));
    EXPECT_TRUE(QSettings(SettingsStore::filePath(), QSettings::IniFormat)
                    .contains(QStringLiteral(
                        "referenceHintDismissed.0F8E2A4C-1B3D-4E5F-8A9B-0C1D2E3F4A5B")));

    SettingsStore::setReferenceHintDismissed(other, now - 1s);
    EXPECT_FALSE(SettingsStore::referenceHintDismissed(other, now));
}

TEST_F(SettingsStoreTest, aFileThatIsNotIniReadsAsDefaultsWithoutACrash) {
    static const char garbage[] =
        "\x00\xff[[[\n=\ninterval\nsensitivity=\x01\x02\n[General\nsounds";
    ASSERT_TRUE(
        test::writeFile(SettingsStore::filePath(), QByteArray(garbage, sizeof garbage - 1)));
    EXPECT_EQ(SettingsStore::interval(), 180);
    EXPECT_EQ(SettingsStore::sensitivity(), 3);
    EXPECT_TRUE(SettingsStore::soundsEnabled());
    EXPECT_FALSE(SettingsStore::pausedUntil());

    SettingsStore::setPausedUntil(dateAt(1765033320)); // the file is rewritten in good form
    EXPECT_EQ(SettingsStore::pausedUntil(), dateAt(1765033320));
    EXPECT_TRUE(test::loggedLines().isEmpty());
}

TEST_F(SettingsStoreTest, theNotifierTellsOfChangesButNotOfEqualWrites) {
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
    SettingsStore::notifier()->disconnect();
}

TEST_F(SettingsStoreTest, aWriteThatCannotReachTheFileIsLoggedAndNotAnnounced) {
    // A plain file where the settings folder should be: nothing can be written below it.
    ASSERT_TRUE(test::writeFile(home.configHome() + QStringLiteral("/Tisko"), {}));
    int announced = 0;
    QObject::connect(SettingsStore::notifier(), &SettingsNotifier::changed, [&] { ++announced; });
    SettingsStore::setWatchSlouch(false);
    SettingsStore::notifier()->disconnect();

    EXPECT_EQ(announced, 0);
    const QStringList lines = test::loggedLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(QStringLiteral(" ERROR No se ha podido guardar Tisko.conf: ")))
        << qPrintable(lines[0]);
    EXPECT_TRUE(SettingsStore::watchSlouch());
}

} // namespace
} // namespace tisko
