// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "FakeDisplays.h"
#include "TempHome.h"

#include "Tisko/Support/Log.h"
#include "Tisko/System/LinuxPresence.h"
#include "Tisko/System/SysfsDrm.h"

#include <QSettings>
#include <QTemporaryDir>

namespace tisko {
namespace {

const QDateTime testNow =
    QDateTime::fromString(QStringLiteral("2025-03-14T09:26:53.000Z"), Qt::ISODateWithMs);

// Presence with no bus and no X server, so only the files of the test can answer.
class OfflinePresence : public ::testing::Test {
protected:
    void SetUp() override { Log::restartForTesting(); }
    void TearDown() override { Log::restartForTesting(); }
    LinuxPresence presence(const SysfsDrm* drm = nullptr) {
        return LinuxPresence({QDBusConnection(QStringLiteral("tisko-no-bus")),
                              QDBusConnection(QStringLiteral("tisko-no-bus")), nullptr, drm,
                              companionPath(), [] { return testNow; }});
    }
    // A new file for every write: QSettings caches files by size and modification time.
    QString companionPath() const {
        return m_dir.filePath(QStringLiteral("Despierto%1.conf").arg(m_writes));
    }
    void writeCompanion(const QByteArray& text) {
        ++m_writes;
        ASSERT_TRUE(test::writeFile(companionPath(), text));
    }

    test::TempHome m_home;
    QTemporaryDir m_dir;
    int m_writes = 0;
};

QByteArray nudgedAt(const QDateTime& date) {
    return "[General]\nkeepAwakeLastNudge=" + date.toString(Qt::ISODateWithMs).toLatin1() + "\n";
}

TEST_F(OfflinePresence, onlyADateUnderThirtySecondsOldUnderTheKeyIsANudge) {
    EXPECT_FALSE(presence().companionKeepingAwake()) << "no file at all";
    const std::pair<QByteArray, bool> cases[] = {
        {nudgedAt(testNow.addMSecs(-29'900)), true},
        {nudgedAt(testNow.addMSecs(-30'000)), false},
        {nudgedAt(testNow.addSecs(60)), true},       // a minute ahead: clocks may differ that much
        {nudgedAt(testNow.addMSecs(60'001)), false}, // further ahead is a bad date
        {"[General]\nkeepAwakeLastNudge=2025-03-14T10:26:40+01:00\n", true}, // read in its zone
        {"[General]\nkeepAwakeLastNudge=1741944410\n", false},
        {"[General]\nkeepAwakeLastNudge=2025-03-14\n", false},
        {"[General]\notherKey=" + testNow.toString(Qt::ISODate).toLatin1() + "\n", false},
        {"\x01\x02 not an ini file [[[", false},
    };
    for (const auto& [text, nudged] : cases) {
        writeCompanion(text);
        EXPECT_EQ(presence().companionKeepingAwake(), nudged) << text.constData();
    }

    // A date as QSettings itself writes it.
    ++m_writes;
    QSettings(companionPath(), QSettings::IniFormat)
        .setValue(QStringLiteral("keepAwakeLastNudge"), testNow.addSecs(-5));
    EXPECT_TRUE(presence().companionKeepingAwake());
}

// Without a desktop to ask, the DRM connectors in use decide; nobody answering means awake.
TEST_F(OfflinePresence, displaysSleepOnlyWhenEveryLitConnectorIsOff) {
    EXPECT_FALSE(presence().mainDisplayAsleep());
    EXPECT_EQ(presence().secondsSinceLastInput(), std::nullopt);
    test::FakeDrmTree tree;
    const QByteArray edid = test::edidBlob("DEL", 1, 1);
    tree.addConnector("card0-eDP-1", "connected", edid, "Off");
    tree.addConnector("card0-DP-1", "connected", edid, "Standby");
    // Disabled and disconnected connectors say nothing about the displays in use.
    tree.addConnector("card0-DP-2", "connected", edid, "On", "disabled");
    tree.addConnector("card0-DP-3", "disconnected", edid);
    SysfsDrm drm(tree.root());
    EXPECT_EQ(drm.displaysAsleep(), std::optional<bool>(true));
    EXPECT_TRUE(presence(&drm).mainDisplayAsleep());
    tree.addConnector("card0-HDMI-A-1", "connected", edid);
    EXPECT_EQ(drm.displaysAsleep(), std::optional<bool>(false));
    EXPECT_FALSE(presence(&drm).mainDisplayAsleep());

    test::FakeDrmTree empty;
    EXPECT_EQ(SysfsDrm(empty.root()).displaysAsleep(), std::nullopt);
}

} // namespace
} // namespace tisko
