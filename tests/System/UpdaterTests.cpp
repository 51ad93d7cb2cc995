#include "FakeNotificationCenter.h"
#include "FeedServer.h"

#include "EventLoop.h"
#include "LoggedLines.h"
#include "TempHome.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/Notifier.h"
#include "Tisko/System/UpdateSchedule.h"
#include "Tisko/System/Updater.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <memory>

namespace tisko {
namespace {

using namespace std::chrono_literals;

QByteArray feedOffering(const char* version) {
    return QByteArray("<rss version=\"2.0\" xmlns:up=\"urn:x-feed\"><channel><item>"
                      "<up:version>") +
           version +
           "</up:version><link>https://example.org/tisko</link>"
           "<enclosure url=\"https://example.org/tisko.deb\"/></item></channel></rss>";
}

// An updater at version 0.9 on a simulated clock, with its feed on the test's server.
class UpdaterTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log::restartForTesting();
        SettingsStore::setUpdateFeedURL(server.address().toString());
    }
    void TearDown() override { Log::restartForTesting(); }

    Updater& updater() {
        if (!m_updater) {
            Updater::Environment environment;
            environment.now = [this] { return now; };
            environment.jitter = [] { return 0.0; };
            environment.inFocus = [this] { return inFocus; };
            environment.center = &center;
            environment.current = QVersionNumber(0, 9);
            m_updater = std::make_unique<Updater>(std::move(environment));
            QObject::connect(m_updater.get(), &Updater::windowRequested,
                             [this](const UpdateOutcome& outcome) { windows.push_back(outcome); });
        }
        return *m_updater;
    }
    // Runs the scheduled check on the simulated clock and waits for its answer.
    void runScheduledCheck() {
        const int before = server.requests();
        now = *updater().nextCheck();
        updater().checkIfDue();
        ASSERT_TRUE(test::waitUntil([&] { return server.requests() > before; }));
        test::spin(100ms);
    }
    // Another launch of Tisko, at the simulated time then.
    void restart() { m_updater.reset(); }
    void runUserCheck() {
        const size_t before = windows.size();
        updater().checkForUpdates();
        ASSERT_TRUE(test::waitUntil([&] { return windows.size() > before; }));
    }

    // The server's socket needs the application's event loop, so the application comes first.
    QCoreApplication& app = test::application();
    test::TempHome home;
    test::FeedServer server;
    test::FakeNotificationCenter center;
    Date now = std::chrono::system_clock::time_point(500'000h);
    bool inFocus = false;
    std::vector<UpdateOutcome> windows;

private:
    std::unique_ptr<Updater> m_updater;
};

TEST_F(UpdaterTest, aScheduledFindingInTheBackgroundIsANotification) {
    server.serve(feedOffering("0.10"));
    int changes = 0;
    QObject::connect(&updater(), &Updater::availableVersionChanged, [&] { ++changes; });
    runScheduledCheck();

    ASSERT_EQ(center.added.size(), 1u);
    EXPECT_EQ(center.added[0], Notifier::updateRequest(QStringLiteral("0.10")));
    EXPECT_EQ(updater().availableVersion(), QStringLiteral("0.10"));
    EXPECT_TRUE(windows.empty());

    // Clicking it is a user-initiated check: the window comes, the notice goes.
    runUserCheck();
    EXPECT_EQ(windows.back().kind, UpdateOutcome::Kind::found);
    EXPECT_EQ(windows.back().item.downloadAddress(),
              QUrl(QStringLiteral("https://example.org/tisko.deb")));
    updater().windowShown();
    EXPECT_EQ(center.removed, std::vector<QString>{Notifier::updateIdentifier()});
    EXPECT_EQ(center.added.size(), 1u);
    updater().finishSession();
    EXPECT_FALSE(updater().availableVersion());
    EXPECT_EQ(changes, 2) << "setting the same version again notifies nobody";
    EXPECT_TRUE(test::loggedLines().isEmpty());
}

TEST_F(UpdaterTest, aFindingWhileAWindowIsActiveOrAskedForShowsTheWindowAndNoNotification) {
    server.serve(feedOffering("1.0"));
    inFocus = true;
    runScheduledCheck();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].item.displayVersion, QStringLiteral("1.0"));
    inFocus = false;
    runUserCheck();
    EXPECT_EQ(windows.size(), 2u);
    EXPECT_TRUE(center.added.empty());
    EXPECT_EQ(updater().availableVersion(), QStringLiteral("1.0"));
}

TEST_F(UpdaterTest, anEqualOrOlderVersionOffersNothing) {
    for (const char* version : {"0.9", "0.9.0", "0.8.7"}) {
        server.serve(feedOffering(version));
        runScheduledCheck();
        runUserCheck();
        EXPECT_EQ(windows.back().kind, UpdateOutcome::Kind::upToDate) << version;
    }
    EXPECT_EQ(windows.size(), 3u);
    EXPECT_TRUE(center.added.empty());
    EXPECT_FALSE(updater().availableVersion());
}

TEST_F(UpdaterTest, refusedFeedsLeaveOneLineAndNoOffer) {
    const QUrl httpsTarget(QStringLiteral("https://127.0.0.1:%1/x").arg(server.serverPort()));
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* line;
    };
    const QByteArray huge =
        feedOffering("2.0").replace("<channel>", "<channel>" + QByteArray(1100 * 1024, ' '));
    const Case cases[] = {
        {"malformed", [&] { server.serve(feedOffering("2.0").left(60)); }, "XML mal formado"},
        {"too large, announced", [&] { server.serve(huge); }, "pasa de 1 MB"},
        {"too large, streamed", [&] { server.serve(huge, false); }, "pasa de 1 MB"},
        {"redirected to another scheme", [&] { server.redirect(httpsTarget); },
         "redirige a otro esquema"},
        {"plain HTTP elsewhere",
         [&] { SettingsStore::setUpdateFeedURL(QStringLiteral("http://192.0.2.7/appcast.xml")); },
         "«http://192.0.2.7/appcast.xml» no es HTTPS"},
    };
    for (const Case& c : cases) {
        const qsizetype before = test::loggedErrors().size();
        c.arrange();
        runUserCheck();
        EXPECT_EQ(windows.back().kind, UpdateOutcome::Kind::failed) << c.name;
        const QStringList errors = test::loggedErrors().mid(before);
        ASSERT_EQ(errors.size(), 1) << c.name << ": " << errors.join(u'|').toStdString();
        EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Actualizaciones: "))) << c.name;
        EXPECT_TRUE(errors[0].contains(QString::fromUtf8(c.line)))
            << c.name << ": " << errors[0].toStdString();
    }
    EXPECT_TRUE(center.added.empty());
    EXPECT_FALSE(updater().availableVersion());
}

TEST_F(UpdaterTest, aPreviewVersionIsOnOfferUntilTheSessionEnds) {
    QSettings(SettingsStore::filePath(), QSettings::IniFormat)
        .setValue(SettingsStore::previewUpdateKey, QStringLiteral("9.9"));
    EXPECT_EQ(updater().availableVersion(), QStringLiteral("9.9"));
    server.serve(feedOffering("0.9"));
    runUserCheck();
    EXPECT_EQ(windows.back().kind, UpdateOutcome::Kind::upToDate);
    updater().finishSession();
    EXPECT_FALSE(updater().availableVersion());
}

TEST_F(UpdaterTest, checksEverySixHoursAndRemembersTheLastAcrossRestarts) {
    server.serve(feedOffering("0.9"));
    const Date launch = now;
    EXPECT_EQ(updater().nextCheck(), launch + UpdateSchedule::launchGrace);
    // Not due yet: nothing is asked.
    now = launch + 30s;
    updater().checkIfDue();
    test::spin(100ms);
    EXPECT_EQ(server.requests(), 0);

    runScheduledCheck();
    const Date checked = now;
    EXPECT_EQ(SettingsStore::lastUpdateCheck(), checked);
    EXPECT_EQ(updater().nextCheck(), checked + 6h);

    // A restart an hour later waits for the rest of the interval.
    restart();
    now = checked + 1h;
    EXPECT_EQ(updater().nextCheck(), checked + 6h);
    runScheduledCheck();
    EXPECT_EQ(server.requests(), 2);
    EXPECT_EQ(updater().nextCheck(), checked + 12h);
}

} // namespace
} // namespace tisko
