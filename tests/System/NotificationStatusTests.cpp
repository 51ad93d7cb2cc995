// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FakeNotificationCenter.h"
#include "NotificationTestServers.h"

#include "Tisko/System/NotificationPermission.h"
#include "Tisko/System/NotificationStatus.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tisko {
namespace {

using test::FakeNotificationCenter;

class NotificationStatusTests : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        QObject::connect(&status, &NotificationStatus::stateChanged,
                         [this](PermissionState state) { seen.push_back(state); });
    }

    FakeNotificationCenter center;
    NotificationStatus status;
    std::vector<PermissionState> seen;
};

TEST_F(NotificationStatusTests, answersComeLaterAndEqualOnesNotifyNobody) {
    status.setState(PermissionState::unknown);
    center.status = NotificationCenter::denied;
    NotificationPermission::refresh(center, status);
    NotificationPermission::refresh(center, status);
    EXPECT_EQ(status.state(), PermissionState::unknown) << "never answered inside refresh()";
    QCoreApplication::processEvents();
    status.setProperty("state", QVariant::fromValue(PermissionState::denied));
    EXPECT_EQ(seen, std::vector<PermissionState>{PermissionState::denied});

    // The user switches notifications on in the desktop's settings.
    center.status = NotificationCenter::authorized;
    NotificationPermission::refresh(center, status);
    ASSERT_TRUE(test::waitUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen.back(), PermissionState::granted);
}

TEST_F(NotificationStatusTests, anAnswerAfterTheStatusIsGoneIsDropped) {
    auto transient = std::make_unique<NotificationStatus>();
    NotificationPermission::refresh(center, *transient);
    transient.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(center.statusQueries, 1);
}

TEST(NotificationPermissionTests, mapsEveryStatusCodeToAStateAndItsText) {
    struct Case {
        int code;
        PermissionState state;
        const char* text;
    };
    // Provisional counts as granted; ephemeral and anything unheard of are unknown.
    for (const Case& c : {Case{0, PermissionState::notAsked, "sin preguntar"},
                          Case{1, PermissionState::denied, "denegado"},
                          Case{2, PermissionState::granted, "concedido"},
                          Case{3, PermissionState::granted, "concedido"},
                          Case{4, PermissionState::unknown, "desconocido"},
                          Case{-1, PermissionState::unknown, "desconocido"}}) {
        EXPECT_EQ(NotificationPermission::stateFor(c.code), c.state) << c.code;
        EXPECT_EQ(rawValue(c.state), QString::fromUtf8(c.text)) << c.code;
    }
}

} // namespace
} // namespace tisko
