#include "FakeNotificationCenter.h"
#include "NotificationTestServers.h"

#include "Tisko/Support/Log.h"
#include "Tisko/System/Notifier.h"

#include <gtest/gtest.h>

namespace tisko {
namespace {

using namespace std::chrono_literals;
using test::loggedErrors;

// The warnings' texts and hints on the wire are checked against real servers; these cases
// are about what the notifier does with the centre's answers.
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

TEST_F(NotifierTest, aRefusedWarningLogsTheReasonOnce) {
    center.addError = QStringLiteral("el servidor no responde");
    Notifier::post(PostureVerdict::tooClose(1.3), center);
    test::spin(100ms);
    EXPECT_EQ(loggedErrors(), QStringList{QStringLiteral("Aviso: el servidor no responde")});
}

TEST_F(NotifierTest, anUnreachableCentreLogsOneLinePerWarningAndAsksNothing) {
    center.unreachable = QStringLiteral("no hay bus de sesión de D-Bus");
    Notifier::post(PostureVerdict::tooClose(1.3), center);
    Notifier::post(PostureVerdict::slouching(0.3), center);
    test::spin(100ms);

    EXPECT_EQ(center.statusQueries, 0);
    EXPECT_TRUE(center.added.empty());
    EXPECT_EQ(loggedErrors(),
              QStringList(2, QStringLiteral("Aviso: no hay bus de sesión de D-Bus")));
}

} // namespace
} // namespace tisko
