#include "FakeNotificationCenter.h"
#include "NotificationTestServers.h"
#include "TempHome.h"

#include "Tisko/Support/Log.h"
#include "Tisko/System/Notifier.h"

#include <gtest/gtest.h>

namespace tisko {
namespace {

using test::FakeNotificationCenter;

class NotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        Log::restartForTesting();
    }
    void TearDown() override { Log::restartForTesting(); }

    // The log lines written so far, without their stamps.
    QStringList errors() {
        QStringList found;
        for (const QString& line : test::logLines()) {
            const qsizetype tag = line.indexOf(QStringLiteral(" ERROR "));
            if (tag >= 0)
                found << line.mid(tag + 7);
        }
        return found;
    }

    test::TempHome home;
    FakeNotificationCenter center;
};

TEST_F(NotifierTest, fineAndAwayTouchNeitherTheCentreNorTheLog) {
    center.status = NotificationCenter::denied;
    Notifier::post(PostureVerdict::fine(), center);
    Notifier::post(PostureVerdict::away(), center);
    test::spin(50);

    EXPECT_EQ(center.statusQueries, 0);
    EXPECT_TRUE(center.added.empty());
    EXPECT_TRUE(test::logLines().isEmpty());
}

TEST_F(NotifierTest, bothWarningsShareOneIdentifierWithTheirOwnTexts) {
    Notifier::post(PostureVerdict::tooClose(1.3), center);
    Notifier::post(PostureVerdict::slouching(0.4), center);
    ASSERT_TRUE(test::waitFor([&] { return center.added.size() == 2; }));

    const NotificationRequest& close = center.added[0];
    EXPECT_EQ(close.identifier, QStringLiteral("posture"));
    EXPECT_EQ(close.title, QStringLiteral("Estás muy cerca de la pantalla"));
    EXPECT_EQ(close.body, QStringLiteral("Echa la espalda atrás y aleja un poco la cara."));
    EXPECT_EQ(close.urgency, NotificationRequest::Urgency::normal);

    const NotificationRequest& sinking = center.added[1];
    EXPECT_EQ(sinking.identifier, QStringLiteral("posture"));
    EXPECT_EQ(sinking.title, QStringLiteral("Te estás hundiendo en la silla"));
    EXPECT_EQ(sinking.body, QStringLiteral("Endereza la espalda y sube la cabeza."));
    // The ratio and the drop are not shown.
    EXPECT_FALSE(close.body.contains(QStringLiteral("1.3")));
    test::spin(50);
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(NotifierTest, withoutPermissionEachWarningLogsItsStatusAndIsStillHandedOver) {
    center.status = NotificationCenter::denied;
    Notifier::post(PostureVerdict::tooClose(1.3), center);
    Notifier::post(PostureVerdict::slouching(0.3), center);
    test::spin(100);

    EXPECT_EQ(center.added.size(), 2u);
    EXPECT_EQ(errors(),
              QStringList(2, QStringLiteral("Aviso sin permiso de notificaciones (estado 1)")));

    center.status = NotificationCenter::notDetermined;
    Notifier::post(PostureVerdict::tooClose(1.3), center);
    test::spin(100);
    EXPECT_EQ(errors().last(), QStringLiteral("Aviso sin permiso de notificaciones (estado 0)"));
}

TEST_F(NotifierTest, aRefusedWarningLogsTheReasonOnce) {
    center.addError = QStringLiteral("el servidor no responde");
    Notifier::post(PostureVerdict::tooClose(1.3), center);
    test::spin(100);
    EXPECT_EQ(errors(), QStringList{QStringLiteral("Aviso: el servidor no responde")});
}

TEST_F(NotifierTest, anUnreachableCentreLogsOneLinePerWarningAndAsksNothing) {
    center.unreachable = QStringLiteral("no hay bus de sesión de D-Bus");
    Notifier::post(PostureVerdict::tooClose(1.3), center);
    Notifier::post(PostureVerdict::slouching(0.3), center);
    test::spin(100);

    EXPECT_EQ(center.statusQueries, 0);
    EXPECT_TRUE(center.added.empty());
    EXPECT_EQ(errors(), QStringList(2, QStringLiteral("Aviso: no hay bus de sesión de D-Bus")));
}

TEST_F(NotifierTest, theUpdateNoticeIsSilentWithItsOwnIdentifier) {
    Notifier::postUpdate(QStringLiteral("2.1"), center);
    Notifier::removeUpdate(center);

    ASSERT_EQ(center.added.size(), 1u);
    const NotificationRequest& notice = center.added[0];
    EXPECT_EQ(notice.identifier, QStringLiteral(TISKO_APP_ID ".update"));
    EXPECT_EQ(notice.title, QStringLiteral("Hay una versión nueva de Tisko"));
    EXPECT_EQ(notice.body, QStringLiteral("La 2.1 está lista. Pulsa para actualizar."));
    EXPECT_FALSE(notice.sound);
    EXPECT_FALSE(notice.urgency.has_value());
    EXPECT_EQ(center.removed, std::vector<QString>{notice.identifier});
}

} // namespace
} // namespace tisko
