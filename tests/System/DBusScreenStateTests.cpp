// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "SessionHarness.h"

#include "Tisko/System/DBusScreenState.h"

#include <QDBusMessage>
#include <QElapsedTimer>

namespace tisko {
namespace {

using namespace std::chrono_literals;
using test::callMock;
using test::DBusMock;

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");

// logind's session "auto" on the harness's system bus, with its LockedHint set by the test.
class LogindLock : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::insideHarness());
        // The session may already exist from an earlier test of the same run.
        QDBusMessage exists = QDBusMessage::createMethodCall(
            logindService, sessionPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("GetAll"));
        exists.setArguments({QStringLiteral("org.freedesktop.login1.Session")});
        if (QDBusConnection::systemBus().call(exists, QDBus::Block, 2000).type() !=
            QDBusMessage::ReplyMessage) {
            ASSERT_TRUE(callMock(QDBusConnection::systemBus(), logindService,
                                 QStringLiteral("/org/freedesktop/login1"),
                                 QStringLiteral("AddSession"),
                                 {QStringLiteral("auto"), QStringLiteral("seat0"), 1000u,
                                  QStringLiteral("tisko"), true}));
        }
    }
    void TearDown() override { setLockedHint(QVariant(false)); }

    static void setLockedHint(const QVariant& value) {
        callMock(QDBusConnection::systemBus(), logindService, sessionPath,
                 QStringLiteral("UpdateProperties"),
                 {QStringLiteral("org.freedesktop.login1.Session"),
                  QVariantMap{{QStringLiteral("LockedHint"), value}}});
    }
    static DBusScreenState probe() {
        return DBusScreenState(QDBusConnection::systemBus(), QDBusConnection::sessionBus());
    }
};

TEST_F(LogindLock, lockedHintSetAndClearedIsSeenAndOneOfTheWrongTypeIsIgnored) {
    EXPECT_FALSE(probe().isLocked());
    setLockedHint(QVariant(true));
    EXPECT_TRUE(probe().isLocked());
    setLockedHint(QVariant(false));
    EXPECT_FALSE(probe().isLocked());
    setLockedHint(QVariant(QStringLiteral("true")));
    EXPECT_FALSE(probe().isLocked());
    setLockedHint(QVariant(1));
    EXPECT_FALSE(probe().isLocked());
}

// Screensavers on the session bus, asked when logind gives no answer: the test hands the
// probe a "system bus" without logind.
class ScreenSaverLock : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::insideHarness()); }
    static DBusScreenState probe() {
        return DBusScreenState(QDBusConnection::sessionBus(), QDBusConnection::sessionBus());
    }
};

TEST_F(ScreenSaverLock, anActiveScreenSaverIsLockedAndMalformedAnswersAreNone) {
    DBusMock saver(QStringLiteral("org.freedesktop.ScreenSaver"),
                   QStringLiteral("/org/freedesktop/ScreenSaver"),
                   QStringLiteral("org.freedesktop.ScreenSaver"));
    ASSERT_TRUE(saver.isReady());
    // A reply of the wrong type is no answer, so the next screensaver is asked.
    ASSERT_TRUE(saver.addMethod(QStringLiteral("GetActive"), {}, QStringLiteral("s"),
                                QStringLiteral("ret = 'yes'")));
    DBusMock xfce(QStringLiteral("org.xfce.ScreenSaver"), QStringLiteral("/org/xfce/ScreenSaver"),
                  QStringLiteral("org.xfce.ScreenSaver"));
    ASSERT_TRUE(xfce.isReady());
    ASSERT_TRUE(xfce.addMethod(QStringLiteral("GetActive"), {}, QStringLiteral("b"),
                               QStringLiteral("ret = True")));
    EXPECT_TRUE(probe().isLocked());
    ASSERT_TRUE(xfce.addMethod(QStringLiteral("GetActive"), {}, QStringLiteral("b"),
                               QStringLiteral("ret = False")));
    EXPECT_FALSE(probe().isLocked());
}

TEST_F(ScreenSaverLock, serviceThatNeverAnswersCostsOnlyTheTimeout) {
    DBusMock stuck(QStringLiteral("org.freedesktop.ScreenSaver"),
                   QStringLiteral("/org/freedesktop/ScreenSaver"),
                   QStringLiteral("org.freedesktop.ScreenSaver"));
    ASSERT_TRUE(stuck.isReady());
    ASSERT_TRUE(stuck.addMethod(QStringLiteral("GetActive"), {}, QStringLiteral("b"),
                                QStringLiteral("import time; time.sleep(20); ret = True")));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(
        DBusScreenState(QDBusConnection::sessionBus(), QDBusConnection::sessionBus(), 250ms)
            .isLocked());
    // 250 ms of budget; far from the 20 s the service would keep us waiting.
    EXPECT_LT(clock.elapsed(), 2000);
}

} // namespace
} // namespace tisko
