#include "FakeNotificationCenter.h"
#include "NotificationTestServers.h"

#include "Tisko/System/NotificationRouter.h"
#include "Tisko/System/Notifier.h"

#include <gtest/gtest.h>

namespace tisko {
namespace {

using namespace std::chrono_literals;

class NotificationRouterTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        router.setUpdateCheck([this] { ++checks; });
    }

    test::FakeNotificationCenter center;
    NotificationRouter router{center};
    int checks = 0;
};

TEST_F(NotificationRouterTest, onlyAClickOnTheUpdateNoticeStartsTheCheckAndOnlyAfterTheClick) {
    center.click(Notifier::postureIdentifier());
    center.click(QStringLiteral("something.else"));
    center.click(Notifier::updateIdentifier());
    // The check is a task of its own: the click is answered first.
    EXPECT_EQ(checks, 0);
    ASSERT_TRUE(test::waitUntil([&] { return checks == 1; }));
    test::spin(50ms);
    EXPECT_EQ(checks, 1);
}

TEST_F(NotificationRouterTest, aClickAfterTheRouterIsGoneIsIgnored) {
    {
        NotificationRouter shortLived(center);
        shortLived.setUpdateCheck([this] { checks += 100; });
        center.click(Notifier::updateIdentifier());
    }
    test::spin(100ms);
    EXPECT_EQ(checks, 1);
}

} // namespace
} // namespace tisko
