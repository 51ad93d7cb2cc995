#include "NotificationTestServers.h"

#include "Tisko/System/NotificationRouter.h"
#include "Tisko/System/Notifier.h"

#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>

namespace tisko {
namespace {

using namespace std::chrono_literals;

QString field(const QJsonValue& entry, const char* name) {
    return entry.toObject()
        .value(QLatin1String(name))
        .toObject()
        .value(QStringLiteral("data"))
        .toString();
}

// Tisko's notifications shown by a real dunst on the X display, on a bus of the test's own.
class DunstNotificationTest : public test::NotificationBusTest {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            if (qEnvironmentVariableIsSet("TISKO_HEADLESS_HARNESS"))
                FAIL() << "the headless harness gave no DISPLAY";
            GTEST_SKIP() << "dunst needs an X display: run under tests/harness/run-headless";
        }
        NotificationBusTest::SetUp();
        dunst = std::make_unique<test::DunstServer>(bus);
        ASSERT_TRUE(dunst->isRunning()) << "dunst did not start";
        startCenter();
        router = std::make_unique<NotificationRouter>(*center);
        router->setUpdateCheck([this] { ++updateChecks; });
    }
    void TearDown() override {
        router.reset();
        NotificationBusTest::TearDown();
        dunst.reset();
    }

    std::unique_ptr<test::DunstServer> dunst;
    std::unique_ptr<NotificationRouter> router;
    int updateChecks = 0;
};

TEST_F(DunstNotificationTest, aSecondWarningReplacesTheFirstOnScreen) {
    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    ASSERT_TRUE(dunst->showing(1));
    Notifier::post(PostureVerdict::tooClose(1.4), *center);
    ASSERT_TRUE(dunst->showing(1));
    Notifier::post(PostureVerdict::slouching(0.3), *center);
    ASSERT_TRUE(dunst->showing(1));

    // Replaced notifications never reach the history: only the last one was ever closed.
    const QJsonArray history = dunst->closeAllAndReadHistory();
    ASSERT_EQ(history.size(), 1);
    EXPECT_EQ(field(history[0], "summary"), QStringLiteral("Te estás hundiendo en la silla"));
    EXPECT_EQ(field(history[0], "body"), QStringLiteral("Endereza la espalda y sube la cabeza."));
    EXPECT_EQ(field(history[0], "appname"), QStringLiteral("Tisko"));

    // Once closed, the next warning is a new notification.
    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    ASSERT_TRUE(dunst->showing(1));
    EXPECT_TRUE(test::loggedLines().isEmpty());
}

TEST_F(DunstNotificationTest, theUpdateNoticeStandsBesideAPostureWarning) {
    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    Notifier::postUpdate(QStringLiteral("2.0"), *center);
    ASSERT_TRUE(dunst->showing(2));
    Notifier::postUpdate(QStringLiteral("2.1"), *center);
    ASSERT_TRUE(dunst->showing(2));

    // Taking the update notice away leaves the warning alone.
    Notifier::removeUpdate(*center);
    ASSERT_TRUE(dunst->showing(1));
    const QJsonArray history = dunst->closeAllAndReadHistory();
    ASSERT_EQ(history.size(), 2);
    EXPECT_EQ(field(history[0], "body"),
              QStringLiteral("Echa la espalda atrás y aleja un poco la cara."));
    EXPECT_EQ(field(history[1], "body"),
              QStringLiteral("La 2.1 está lista. Pulsa para actualizar."));
}

TEST_F(DunstNotificationTest, clickingTheUpdateNoticeStartsTheUpdateCheckAndAWarningNothing) {
    Notifier::postUpdate(QStringLiteral("2.0"), *center);
    ASSERT_TRUE(dunst->showing(1));
    dunst->control({QStringLiteral("action"), QStringLiteral("0")});
    ASSERT_TRUE(test::waitUntil([&] { return updateChecks == 1; }));
    // The update notice is closed: its old id must not count any more.
    dunst->closeAllAndReadHistory();
    ASSERT_TRUE(dunst->showing(0));

    QStringList clicked;
    QObject::connect(center.get(), &NotificationCenter::activated,
                     [&](const QString& identifier) { clicked << identifier; });
    Notifier::post(PostureVerdict::slouching(0.3), *center);
    ASSERT_TRUE(dunst->showing(1));
    dunst->control({QStringLiteral("action"), QStringLiteral("0")});
    // The click does arrive, and the router leaves it alone.
    ASSERT_TRUE(test::waitUntil([&] { return !clicked.isEmpty(); }));
    test::spin(300ms);
    EXPECT_EQ(clicked, QStringList{Notifier::postureIdentifier()});
    EXPECT_EQ(updateChecks, 1);
}

} // namespace
} // namespace tisko
