// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "EventLoop.h"
#include "SessionHarness.h"

#include "Tisko/System/WakeWatcher.h"

#include <QDBusVariant>
#include <QSignalSpy>

namespace tisko {
namespace {

using namespace std::chrono_literals;

const QString logindService = QStringLiteral("org.freedesktop.login1");

void announceSleep(bool starting) {
    test::callMock(
        QDBusConnection::systemBus(), logindService, QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("EmitSignal"),
        {QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
         QStringLiteral("b"),
         QVariant::fromValue(QVariantList{QVariant::fromValue(QDBusVariant(starting))})});
}

TEST(LogindWake, aWakeAnnouncedTwiceIsToldOnceAndGoingToSleepIsNotToldAtAll) {
    WakeWatcher watcher(QDBusConnection::systemBus());
    ASSERT_TRUE(watcher.usesLogind());
    QSignalSpy woke(&watcher, &WakeWatcher::woke);
    announceSleep(true);
    test::spin(300ms);
    EXPECT_EQ(woke.count(), 0);
    announceSleep(false);
    announceSleep(false);
    announceSleep(true);
    announceSleep(false);
    EXPECT_TRUE(test::waitUntil([&] { return woke.count() >= 2; }, 3s));
    test::spin(300ms);
    EXPECT_EQ(woke.count(), 2);
}

TEST(ClockWake, withoutLogindAJumpOfSuspendedTimeIsAWake) {
    double suspended = 100.0;
    WakeWatcher watcher(
        QDBusConnection(QStringLiteral("tisko-no-bus")), nullptr, [&] { return suspended; }, 10ms);
    ASSERT_FALSE(watcher.usesLogind());
    QSignalSpy woke(&watcher, &WakeWatcher::woke);
    suspended += 0.01; // drift, no sleep
    test::spin(100ms);
    EXPECT_EQ(woke.count(), 0);
    suspended += 3600.0;
    EXPECT_TRUE(test::waitUntil([&] { return woke.count() == 1; }, 2s));
    test::spin(100ms);
    EXPECT_EQ(woke.count(), 1);
}

} // namespace
} // namespace tisko
