#include "NotificationTestServers.h"
#include "TempHome.h"

#include "Tisko/Support/Log.h"
#include "Tisko/System/DBusNotificationCenter.h"
#include "Tisko/System/NotificationPermission.h"
#include "Tisko/System/NotificationRouter.h"
#include "Tisko/System/Notifier.h"

#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace tisko {
namespace {

QString field(const QJsonValue& entry, const char* name) {
    return entry.toObject()
        .value(QLatin1String(name))
        .toObject()
        .value(QStringLiteral("data"))
        .toString();
}

// Tisko's notifications shown by a real dunst on the X display, on a bus of the test's own.
class DunstNotificationTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            if (qEnvironmentVariableIsSet("TISKO_HEADLESS_HARNESS"))
                FAIL() << "the headless harness gave no DISPLAY";
            GTEST_SKIP() << "dunst needs an X display: run under tests/harness/run-headless";
        }
        test::application();
        Log::restartForTesting();
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
        dunst = std::make_unique<test::DunstServer>(bus);
        ASSERT_TRUE(dunst->isRunning()) << "dunst did not start";
        center = std::make_unique<DBusNotificationCenter>(
            bus.connect(QStringLiteral("tisko")),
            NotificationSwitch(QStringLiteral(TISKO_APP_ID), {}));
        router = std::make_unique<NotificationRouter>(*center);
        router->setUpdateCheck([this] { ++updateChecks; });
    }
    void TearDown() override {
        router.reset();
        center.reset();
        dunst.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("tisko"));
        Log::restartForTesting();
    }

    // Waits until dunst shows `count` notifications and every answer has come back.
    bool showing(int count) {
        const bool shown = test::waitFor([&] { return dunst->displayedCount() == count; });
        test::spin(200);
        return shown && dunst->displayedCount() == count;
    }

    test::TempHome home;
    test::PrivateBus bus;
    std::unique_ptr<test::DunstServer> dunst;
    std::unique_ptr<DBusNotificationCenter> center;
    std::unique_ptr<NotificationRouter> router;
    int updateChecks = 0;
};

TEST_F(DunstNotificationTest, aSecondWarningReplacesTheFirstOnScreen) {
    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    ASSERT_TRUE(showing(1));
    Notifier::post(PostureVerdict::tooClose(1.4), *center);
    ASSERT_TRUE(showing(1));
    Notifier::post(PostureVerdict::slouching(0.3), *center);
    ASSERT_TRUE(showing(1));

    // Replaced notifications never reach the history: only the last one was ever closed.
    const QJsonArray history = dunst->closeAllAndReadHistory();
    ASSERT_EQ(history.size(), 1);
    EXPECT_EQ(field(history[0], "summary"), QStringLiteral("Te estás hundiendo en la silla"));
    EXPECT_EQ(field(history[0], "body"), QStringLiteral("Endereza la espalda y sube la cabeza."));
    EXPECT_EQ(field(history[0], "appname"), QStringLiteral("Tisko"));

    // Once closed, the next warning is a new notification.
    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    ASSERT_TRUE(showing(1));
    EXPECT_TRUE(test::logLines().isEmpty());
}

TEST_F(DunstNotificationTest, theUpdateNoticeStandsBesideAPostureWarning) {
    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    Notifier::postUpdate(QStringLiteral("2.0"), *center);
    ASSERT_TRUE(showing(2));
    Notifier::postUpdate(QStringLiteral("2.1"), *center);
    ASSERT_TRUE(showing(2));

    // Taking the update notice away leaves the warning alone.
    Notifier::removeUpdate(*center);
    ASSERT_TRUE(showing(1));
    const QJsonArray history = dunst->closeAllAndReadHistory();
    ASSERT_EQ(history.size(), 2);
    EXPECT_EQ(field(history[0], "body"),
              QStringLiteral("Echa la espalda atrás y aleja un poco la cara."));
    EXPECT_EQ(field(history[1], "body"),
              QStringLiteral("La 2.1 está lista. Pulsa para actualizar."));
}

TEST_F(DunstNotificationTest, clickingTheUpdateNoticeStartsTheUpdateCheck) {
    Notifier::postUpdate(QStringLiteral("2.0"), *center);
    ASSERT_TRUE(showing(1));
    dunst->control({QStringLiteral("action"), QStringLiteral("0")});
    ASSERT_TRUE(test::waitFor([&] { return updateChecks == 1; }));
    test::spin(200);
    EXPECT_EQ(updateChecks, 1);
}

TEST_F(DunstNotificationTest, clickingAPostureWarningStartsNothing) {
    // The update notice was shown and closed before: its old id must not count any more.
    Notifier::postUpdate(QStringLiteral("2.0"), *center);
    ASSERT_TRUE(showing(1));
    dunst->closeAllAndReadHistory();
    ASSERT_TRUE(showing(0));

    QStringList clicked;
    QObject::connect(center.get(), &NotificationCenter::activated,
                     [&](const QString& identifier) { clicked << identifier; });
    Notifier::post(PostureVerdict::slouching(0.3), *center);
    ASSERT_TRUE(showing(1));
    dunst->control({QStringLiteral("action"), QStringLiteral("0")});
    // The click does arrive, and the router leaves it alone.
    ASSERT_TRUE(test::waitFor([&] { return !clicked.isEmpty(); }));
    test::spin(300);
    EXPECT_EQ(clicked, QStringList{Notifier::postureIdentifier()});
    EXPECT_EQ(updateChecks, 0);
}

TEST_F(DunstNotificationTest, dunstOnTheBusMeansPermissionGranted) {
    NotificationStatus status;
    NotificationPermission::refresh(*center, status);
    ASSERT_TRUE(test::waitFor([&] { return status.state() == PermissionState::granted; }));
    std::optional<bool> granted;
    Notifier::requestPermission([&](bool answer) { granted = answer; }, *center);
    ASSERT_TRUE(test::waitFor([&] { return granted.has_value(); }));
    EXPECT_TRUE(*granted);

    dunst.reset();
    NotificationPermission::refresh(*center, status);
    ASSERT_TRUE(test::waitFor([&] { return status.state() == PermissionState::denied; }));
}

} // namespace
} // namespace tisko
