// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "DBusMockCall.h"
#include "SessionHarness.h"

#include "Tisko/System/DBusScreenState.h"

#include <QElapsedTimer>

namespace tisko {
namespace {

using namespace std::chrono_literals;
using test::callMock;
using test::DBusMock;

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");

void setLockedHint(const QVariant& value) {
    callMock(QDBusConnection::systemBus(), logindService, sessionPath,
             QStringLiteral("UpdateProperties"),
             {QStringLiteral("org.freedesktop.login1.Session"),
              QVariantMap{{QStringLiteral("LockedHint"), value}}});
}

// logind's session "auto" on the harness's system bus, with its LockedHint set by the test.
TEST(LogindLock, lockedHintSetAndClearedIsSeenAndOneOfTheWrongTypeIsIgnored) {
    // Fails harmlessly when an earlier test of the same run made the session.
    test::callDBusMock(QDBusConnection::systemBus(), logindService, u"/org/freedesktop/login1"_qs,
                       u"AddSession"_qs, {u"auto"_qs, u"seat0"_qs, 1000u, u"tisko"_qs, true});
    const auto locked = [] {
        return DBusScreenState(QDBusConnection::systemBus(), QDBusConnection::sessionBus())
            .isLocked();
    };
    EXPECT_FALSE(locked());
    // A hint of the wrong type is no lock.
    for (const auto& [hint, on] : {std::pair(QVariant(true), true),
                                   {QVariant(false), false},
                                   {QVariant(u"true"_qs), false},
                                   {QVariant(1), false}}) {
        setLockedHint(hint);
        EXPECT_EQ(locked(), on) << hint.toString().toStdString();
    }
    setLockedHint(QVariant(false));
}

// Screensavers on the session bus, asked when logind gives no answer: the test hands the
// probe a "system bus" without logind.
TEST(ScreenSaverLock, anActiveScreenSaverIsLockedAndMalformedOrLateAnswersAreNone) {
    const auto probe = [](std::chrono::milliseconds budget) {
        return DBusScreenState(QDBusConnection::sessionBus(), QDBusConnection::sessionBus(),
                               budget);
    };
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
    EXPECT_TRUE(probe(1s).isLocked());
    ASSERT_TRUE(xfce.addMethod(QStringLiteral("GetActive"), {}, QStringLiteral("b"),
                               QStringLiteral("ret = False")));
    EXPECT_FALSE(probe(1s).isLocked());

    // A screensaver that never answers costs only the budget, which all of them share.
    ASSERT_TRUE(saver.addMethod(QStringLiteral("GetActive"), {}, QStringLiteral("b"),
                                QStringLiteral("import time; time.sleep(20); ret = True")));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(probe(250ms).isLocked());
    EXPECT_LT(clock.elapsed(), 2000);
}

} // namespace
} // namespace tisko
