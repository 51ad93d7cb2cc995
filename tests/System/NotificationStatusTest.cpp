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

class NotificationStatusTest : public ::testing::Test {
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

TEST_F(NotificationStatusTest, isUnknownUntilTheFirstRefreshCompletes) {
    EXPECT_EQ(NotificationStatus::shared().state(), PermissionState::unknown);
    EXPECT_EQ(&NotificationStatus::shared(), &NotificationStatus::shared());

    NotificationPermission::refresh(center, status);
    // The answer comes later, never inside refresh().
    EXPECT_EQ(status.state(), PermissionState::unknown);
    ASSERT_TRUE(test::waitFor([&] { return status.state() == PermissionState::granted; }));
}

TEST_F(NotificationStatusTest, anEqualWriteNotifiesNobody) {
    status.setState(PermissionState::unknown);
    status.setState(PermissionState::denied);
    status.setState(PermissionState::denied);
    status.setProperty("state", QVariant::fromValue(PermissionState::denied));
    EXPECT_EQ(seen, std::vector<PermissionState>{PermissionState::denied});
}

TEST_F(NotificationStatusTest, refreshingTwiceWithTheSameStatusNotifiesOnce) {
    center.status = NotificationCenter::denied;
    NotificationPermission::refresh(center, status);
    NotificationPermission::refresh(center, status);
    ASSERT_TRUE(test::waitFor([&] { return center.statusQueries == 2; }));
    test::spin(50);
    EXPECT_EQ(seen, std::vector<PermissionState>{PermissionState::denied});

    // The user switches notifications on in the desktop's settings.
    center.status = NotificationCenter::authorized;
    NotificationPermission::refresh(center, status);
    ASSERT_TRUE(test::waitFor([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen.back(), PermissionState::granted);
}

TEST_F(NotificationStatusTest, anAnswerAfterTheStatusIsGoneIsDropped) {
    auto transient = std::make_unique<NotificationStatus>();
    NotificationPermission::refresh(center, *transient);
    transient.reset();
    test::spin(50);
    EXPECT_EQ(center.statusQueries, 1);
}

TEST(NotificationPermissionTest, mapsEveryStatusCode) {
    EXPECT_EQ(NotificationPermission::stateFor(0), PermissionState::notAsked);
    EXPECT_EQ(NotificationPermission::stateFor(1), PermissionState::denied);
    EXPECT_EQ(NotificationPermission::stateFor(2), PermissionState::granted);
    // Provisional counts as granted; ephemeral and anything unheard of are unknown.
    EXPECT_EQ(NotificationPermission::stateFor(3), PermissionState::granted);
    EXPECT_EQ(NotificationPermission::stateFor(4), PermissionState::unknown);
    EXPECT_EQ(NotificationPermission::stateFor(-1), PermissionState::unknown);
}

TEST(PermissionStateTest, rawValuesAreTheFixedTexts) {
    EXPECT_EQ(rawValue(PermissionState::granted), QStringLiteral("concedido"));
    EXPECT_EQ(rawValue(PermissionState::denied), QStringLiteral("denegado"));
    EXPECT_EQ(rawValue(PermissionState::notAsked), QStringLiteral("sin preguntar"));
    EXPECT_EQ(rawValue(PermissionState::unknown), QStringLiteral("desconocido"));
}

} // namespace
} // namespace tisko
