#include "FeedServer.h"
#include "NotificationTestServers.h"

#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/NotificationRouter.h"
#include "Tisko/System/Updater.h"

#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>

namespace tisko {
namespace {

using namespace std::chrono_literals;

// The update notice on a real dunst: a background finding posts it, the update window takes
// it away, and a click on it asks for the window.
class UpdaterDunstTest : public test::NotificationBusTest {
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
        server.serve("<rss><channel><item><version>7.1</version>"
                     "<link>https://example.org/7.1</link></item></channel></rss>");
        SettingsStore::setUpdateFeedURL(server.address().toString());

        Updater::Environment environment;
        environment.now = [this] { return now; };
        environment.jitter = [] { return 0.0; };
        environment.inFocus = [] { return false; };
        environment.center = center.get();
        environment.current = QVersionNumber(7);
        updater = std::make_unique<Updater>(std::move(environment));
        // What the application does with a request for the window.
        QObject::connect(updater.get(), &Updater::windowRequested, [this](const UpdateOutcome&) {
            ++windows;
            updater->windowShown();
        });
        router = std::make_unique<NotificationRouter>(*center);
        router->setUpdateCheck([this] { updater->checkForUpdates(); });
    }
    void TearDown() override {
        router.reset();
        updater.reset();
        NotificationBusTest::TearDown();
        dunst.reset();
    }

    bool showing(int count) {
        const bool shown = test::waitUntil([&] { return dunst->displayedCount() == count; });
        test::spin(200ms);
        return shown && dunst->displayedCount() == count;
    }
    void findInTheBackground() {
        now += 2min;
        updater->checkIfDue();
        ASSERT_TRUE(showing(1));
        EXPECT_EQ(updater->availableVersion(), QStringLiteral("7.1"));
        EXPECT_EQ(windows, 0);
    }

    // The server's socket needs the application's event loop, so the application comes first.
    QCoreApplication& app = test::application();
    test::FeedServer server;
    Date now = std::chrono::system_clock::now();
    int windows = 0;
    std::unique_ptr<test::DunstServer> dunst;
    std::unique_ptr<Updater> updater;
    std::unique_ptr<NotificationRouter> router;
};

TEST_F(UpdaterDunstTest, theWindowTakesTheNoticeAway) {
    findInTheBackground();
    updater->checkForUpdates();
    ASSERT_TRUE(test::waitUntil([&] { return windows == 1; }));
    ASSERT_TRUE(showing(0));
    EXPECT_TRUE(test::loggedErrors().isEmpty());
}

TEST_F(UpdaterDunstTest, clickingTheNoticeOpensTheWindow) {
    findInTheBackground();
    dunst->control({QStringLiteral("action"), QStringLiteral("0")});
    ASSERT_TRUE(test::waitUntil([&] { return windows == 1; }));
    ASSERT_TRUE(showing(0));
    EXPECT_EQ(server.requests(), 2);
    EXPECT_EQ(updater->availableVersion(), QStringLiteral("7.1"));
}

} // namespace
} // namespace tisko
