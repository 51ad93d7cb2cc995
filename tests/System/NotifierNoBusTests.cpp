// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NotificationTestServers.h"

#include "Tisko/Support/Log.h"
#include "Tisko/System/NotificationPermission.h"
#include "Tisko/System/NotificationRouter.h"
#include "Tisko/System/Notifier.h"

#include <gtest/gtest.h>

#include <optional>

namespace tisko {
namespace {

// A session without any bus: the current centre is built on a session bus that cannot be
// reached. This program must not have touched the session bus before.
TEST(NotifierWithoutSessionBus, warningsLogOneLineEachAndNothingElseBreaks) {
    test::TempHome home;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tisko-test-bus");
    test::application();
    Log::restartForTesting();

    NotificationRouter router;
    router.setUpdateCheck([] { FAIL() << "nothing was clicked"; });
    Notifier::post(PostureVerdict::tooClose(1.3));
    Notifier::post(PostureVerdict::fine());
    Notifier::post(PostureVerdict::slouching(0.3));
    Notifier::postUpdate(QStringLiteral("2.0"));
    Notifier::removeUpdate();

    std::optional<bool> granted;
    Notifier::requestPermission([&](bool answer) { granted = answer; });
    NotificationPermission::refresh();
    ASSERT_TRUE(test::waitUntil([&] {
        return granted.has_value() &&
               NotificationStatus::shared().state() == PermissionState::denied;
    }));
    EXPECT_FALSE(*granted);

    const QStringList errors = test::loggedErrors();
    ASSERT_EQ(errors.size(), 2) << errors.join(QLatin1Char('\n')).toStdString();
    for (const QString& error : errors)
        EXPECT_TRUE(error.startsWith(QStringLiteral("Aviso: no hay bus de sesión de D-Bus")))
            << error.toStdString();
    Log::restartForTesting();
}

} // namespace
} // namespace tisko
