// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FakeNotificationCenter.h"
#include "NotificationTestServers.h"

#include "Tisko/System/NotificationRouter.h"
#include "Tisko/System/Notifier.h"

#include <gtest/gtest.h>

namespace tisko {
namespace {

class NotificationRouterTests : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        router.setUpdateCheck([this] { ++checks; });
    }

    test::FakeNotificationCenter center;
    NotificationRouter router{center};
    int checks = 0;
};

TEST_F(NotificationRouterTests, onlyAClickOnTheUpdateNoticeStartsTheCheckAndOnlyAfterTheClick) {
    center.click(Notifier::postureIdentifier());
    center.click(QStringLiteral("something.else"));
    center.click(Notifier::updateIdentifier());
    // The check is a task of its own: the click is answered first.
    EXPECT_EQ(checks, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(checks, 1);
}

TEST_F(NotificationRouterTests, aClickAfterTheRouterIsGoneIsIgnored) {
    {
        NotificationRouter shortLived(center);
        shortLived.setUpdateCheck([this] { checks += 100; });
        center.click(Notifier::updateIdentifier());
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(checks, 1);
}

} // namespace
} // namespace tisko
