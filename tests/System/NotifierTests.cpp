// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FakeNotificationCenter.h"
#include "NotificationTestServers.h"

#include "Tisko/Support/Log.h"
#include "Tisko/System/Notifier.h"

#include <gtest/gtest.h>

namespace tisko {
namespace {

using test::loggedErrors;

// What the notifier decides before the wire: the warnings on the wire, a refused one and a
// missing bus are checked against a real server (and none).
TEST(NotifierTests, onlyBadVerdictsArePostedAndStillPostedWithoutPermissionWithALine) {
    test::application();
    test::TempHome home;
    Log::restartForTesting();
    test::FakeNotificationCenter center;
    center.status = NotificationCenter::denied;
    Notifier::post(PostureVerdict::fine(), center);
    Notifier::post(PostureVerdict::away(), center);
    EXPECT_EQ(center.statusQueries, 0);
    EXPECT_TRUE(center.added.empty());

    Notifier::post(PostureVerdict::tooClose(1.3), center);
    center.status = NotificationCenter::notDetermined;
    Notifier::post(PostureVerdict::slouching(0.3), center);
    QCoreApplication::processEvents(); // the fake centre answers on the next turn
    EXPECT_EQ(center.added.size(), 2u);
    EXPECT_EQ(loggedErrors(),
              (QStringList{QStringLiteral("Aviso sin permiso de notificaciones (estado 1)"),
                           QStringLiteral("Aviso sin permiso de notificaciones (estado 0)")}));
    Log::restartForTesting();
}

} // namespace
} // namespace tisko
