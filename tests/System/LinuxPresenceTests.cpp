#include <gtest/gtest.h>

#include "EdidBlobs.h"

#include "Tisko/System/LinuxPresence.h"
#include "Tisko/System/SysfsDrm.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace tisko {
namespace {

const QDateTime kNow = QDateTime::fromString(QStringLiteral("2025-03-14T09:26:53.000Z"), Qt::ISODateWithMs);

// Presence with no bus and no X server, so only the files of the test can answer.
class OfflinePresence : public ::testing::Test {
protected:
    LinuxPresence presence(const SysfsDrm* drm = nullptr) {
        return LinuxPresence({QDBusConnection(QStringLiteral("tisko-no-bus")),
                              QDBusConnection(QStringLiteral("tisko-no-bus")), nullptr, drm, companionPath(),
                              [] { return kNow; }});
    }
    // A new file for every write: QSettings caches files by size and modification time.
    QString companionPath() const { return m_dir.filePath(QStringLiteral("Despierto%1.conf").arg(m_writes)); }
    void writeCompanion(const QByteArray& text) {
        ++m_writes;
        QFile file(companionPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    void writeNudge(const QDateTime& date) {
        writeCompanion("[General]\nkeepAwakeLastNudge=" + date.toString(Qt::ISODateWithMs).toLatin1() + "\n");
    }
    void addConnector(const QString& name, const QString& dpms) {
        const QString folder = m_drm.filePath(name);
        QDir().mkpath(folder);
        for (const auto& [file, text] : {std::pair{QStringLiteral("status"), QByteArray("connected\n")},
                                         std::pair{QStringLiteral("enabled"), QByteArray("enabled\n")},
                                         std::pair{QStringLiteral("dpms"), dpms.toLatin1() + '\n'},
                                         std::pair{QStringLiteral("edid"), test::edidBlob("DEL", 1, 1)}}) {
            QFile out(folder + u'/' + file);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(text);
        }
    }
    QString drmRoot() const { return m_drm.path(); }

protected:
    QTemporaryDir m_dir;
    QTemporaryDir m_drm;
    int m_writes = 0;
};

TEST_F(OfflinePresence, nudgeCountsForLessThanThirtySeconds) {
    writeNudge(kNow.addMSecs(-29'900));
    EXPECT_TRUE(presence().companionKeepingAwake());
    writeNudge(kNow.addMSecs(-30'000));
    EXPECT_FALSE(presence().companionKeepingAwake());
    writeNudge(kNow.addSecs(-3600));
    EXPECT_FALSE(presence().companionKeepingAwake());
}

TEST_F(OfflinePresence, nudgeInTheFutureCounts) {
    writeNudge(kNow.addSecs(120));
    EXPECT_TRUE(presence().companionKeepingAwake());
}

TEST_F(OfflinePresence, nudgeWithAnOffsetIsReadInItsZone) {
    writeCompanion("[General]\nkeepAwakeLastNudge=2025-03-14T10:26:40+01:00\n");
    EXPECT_TRUE(presence().companionKeepingAwake());
}

TEST_F(OfflinePresence, dateWrittenByQSettingsItselfCounts) {
    ++m_writes;
    {
        QSettings settings(companionPath(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("keepAwakeLastNudge"), kNow.addSecs(-5));
    }
    EXPECT_TRUE(presence().companionKeepingAwake());
}

TEST_F(OfflinePresence, anythingButADateUnderTheKeyIsNoNudge) {
    EXPECT_FALSE(presence().companionKeepingAwake()) << "no file at all";
    for (const QByteArray& value : {QByteArray("1741944410"), QByteArray("Today"), QByteArray("true"),
                                    QByteArray("2025-03-14"), QByteArray("Tuesday 12:00"), QByteArray("")}) {
        writeCompanion("[General]\nkeepAwakeLastNudge=" + value + "\n");
        EXPECT_FALSE(presence().companionKeepingAwake()) << value.constData();
    }
    writeCompanion("[General]\notherKey=" + kNow.toString(Qt::ISODate).toLatin1() + "\n");
    EXPECT_FALSE(presence().companionKeepingAwake());
    writeCompanion("\x01\x02 not an ini file [[[");
    EXPECT_FALSE(presence().companionKeepingAwake());
}

TEST_F(OfflinePresence, displaySleepFallsBackToTheDrmConnectors) {
    addConnector(QStringLiteral("card0-eDP-1"), QStringLiteral("Off"));
    SysfsDrm drm(drmRoot());
    EXPECT_TRUE(presence(&drm).mainDisplayAsleep());
    addConnector(QStringLiteral("card0-eDP-1"), QStringLiteral("On"));
    EXPECT_FALSE(presence(&drm).mainDisplayAsleep());
}

TEST_F(OfflinePresence, nobodyAnsweringMeansAwakeAndUnknownIdleTime) {
    EXPECT_FALSE(presence().mainDisplayAsleep());
    EXPECT_EQ(presence().secondsSinceLastInput(), std::nullopt);
}

} // namespace
} // namespace tisko
