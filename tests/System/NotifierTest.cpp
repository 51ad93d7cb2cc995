#include "FakeNotificationCenter.h"
#include "NotificationTestServers.h"

#include "Tisko/Support/Log.h"
#include "Tisko/System/Notifier.h"

#include <gtest/gtest.h>

namespace tisko {
namespace {

using namespace std::chrono_literals;
using test::loggedErrors;

// The warnings on the wire, a refused one and a missing bus are checked against real servers
// (and none); these cases are what the notifier does without permission.
class NotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        Log::restartForTesting();
    }
    void TearDown() override { Log::restartForTesting(); }

    test::TempHome home;
    test::FakeNotificationCenter center;
};

TEST_F(NotifierTest, fineAndAwayTouchNeitherTheCentreNorTheLog) {
    center.status = NotificationCenter::denied;
    Notifier::post(PostureVerdict::fine(), center);
    Notifier::post(PostureVerdict::away(), center);
    test::spin(50ms);

    EXPECT_EQ(center.statusQueries, 0);
    EXPECT_TRUE(center.added.empty());
    EXPECT_TRUE(test::loggedLines().isEmpty());
}

TEST_F(NotifierTest, withoutPermissionEachWarningLogsItsStatusAndIsStillHandedOver) {
    center.status = NotificationCenter::denied;
    Notifier::post(PostureVerdict::tooClose(1.3), center);
    Notifier::post(PostureVerdict::slouching(0.3), center);
    test::spin(100ms);

    EXPECT_EQ(center.added.size(), 2u);
    EXPECT_EQ(loggedErrors(),
              QStringList(2, QStringLiteral("Aviso sin permiso de notificaciones (estado 1)")));

    center.status = NotificationCenter::notDetermined;
    Notifier::post(PostureVerdict::tooClose(1.3), center);
    test::spin(100ms);
    EXPECT_EQ(loggedErrors().last(),
              QStringLiteral("Aviso sin permiso de notificaciones (estado 0)"));
}

} // namespace
} // namespace tisko
