// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EventLoop.h"
#include "LoggedLines.h"
#include "TempHome.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/Appcast.h"
#include "Tisko/System/NotificationCenter.h"
#include "Tisko/System/Notifier.h"
#include "Tisko/System/UpdateSchedule.h"
#include "Tisko/System/Updater.h"

#include <QSettings>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tisko {
namespace {

// An HTTP server on 127.0.0.1 that answers each request with the response the test sets, then
// closes the connection. It answers from threads of its own, so that the client's event loop
// does not pace it.
class FeedServer {
public:
    // What follows the response until the client goes: nothing, a byte every tenth of a second,
    // or 64 kB chunks as fast as they are taken (32 MB at most).
    enum class Tail { none, trickle, flood };

    FeedServer() {
        m_listener.listen(QHostAddress::LocalHost);
        m_listener.pauseAccepting(); // the thread accepts
        m_thread = std::thread([this, listener = int(m_listener.socketDescriptor())] {
            pollfd waiting{listener, POLLIN, 0};
            std::vector<std::thread> answers; // one each, so that a slow one delays no other
            while (!m_stop)
                if (::poll(&waiting, 1, 100) == 1)
                    answers.emplace_back(&FeedServer::answer, this,
                                         ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
            for (std::thread& answer : answers)
                answer.join();
        });
    }
    ~FeedServer() {
        m_stop = true;
        m_thread.join();
    }
    void serve(const QByteArray& body) {
        respond("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " +
                QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }
    void respond(const QByteArray& response, Tail tail = Tail::none) {
        const std::lock_guard lock(m_mutex);
        m_response = response;
        m_tail = tail;
    }
    QUrl address() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/a").arg(m_listener.serverPort()));
    }
    int requests() const { return m_requests; }
    bool answering() const { return m_answering > 0; }
    // The bytes of floods taken so far.
    qint64 flooded() const { return m_flooded; }

private:
    void answer(int fd) {
        ++m_answering;
        const timeval limit{5, 0}; // a client that neither writes, reads nor closes ends it too
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        QByteArray request;
        char buffer[4096];
        ssize_t n = 0;
        while (!request.contains("\r\n\r\n") && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            request.append(buffer, n);
        std::unique_lock lock(m_mutex);
        const QByteArray response = m_response;
        const Tail tail = m_tail;
        lock.unlock();
        const QByteArray chunk =
            tail == Tail::flood ? "10000\r\n" + QByteArray(0x10000, 'x') + "\r\n" : " ";
        ++m_requests;
        bool open = send(fd, response);
        for (int i = 0; open && tail != Tail::none && i < 512 && !m_stop; ++i) {
            pollfd gone{fd, POLLRDHUP, 0};
            open = (tail == Tail::flood || ::poll(&gone, 1, 100) == 0) && send(fd, chunk);
            if (open && tail == Tail::flood)
                m_flooded += chunk.size();
        }
        ::close(fd);
        --m_answering;
    }
    static bool send(int fd, const QByteArray& bytes) {
        return ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
    }

    QTcpServer m_listener;
    std::mutex m_mutex;
    QByteArray m_response;
    Tail m_tail = Tail::none;
    std::atomic<int> m_requests{0};
    std::atomic<int> m_answering{0};
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_flooded{0};
    std::thread m_thread;
};

using namespace std::chrono_literals;

struct FakeCenter final : NotificationCenter {
    std::vector<NotificationRequest> added;
    std::vector<QString> removed;

    void getAuthorizationStatus(StatusHandler) override {}
    void requestAuthorization(GrantHandler) override {}
    void add(const NotificationRequest& request, AddHandler) override { added.push_back(request); }
    void removeDelivered(const QString& identifier) override { removed.push_back(identifier); }
    QString unreachableReason() const override { return {}; }
};

QByteArray feedOffering(const char* version) {
    return QByteArray("<rss xmlns:up=\"urn:x-feed\"><channel><item><up:version>") + version +
           "</up:version><enclosure url=\"https://example.org/tisko.deb\"/></item></channel></rss>";
}

// An updater at version 0.9 on a simulated clock, its feed served by the test, its notices
// on a fake centre and the windows it asks for recorded.
struct UpdaterTests : ::testing::Test {
    UpdaterTests() {
        Log::restartForTesting(); // each test's lines in its own home
        SettingsStore::setUpdateFeedURL(server.address().toString());
        start();
    }
    // A new launch at the simulated time.
    void start() {
        updater = std::make_unique<Updater>(environment);
        QObject::connect(updater.get(), &Updater::windowRequested,
                         [this](const UpdateOutcome& outcome) { windows.push_back(outcome); });
    }
    void runScheduledCheck() {
        const int before = server.requests();
        now = *updater->nextCheck();
        updater->checkIfDue();
        ASSERT_TRUE(test::waitUntil([&] { return server.requests() > before; }));
        test::spin(100ms);
    }

    static constexpr std::chrono::milliseconds checkTime = 2s;
    test::TempHome home;
    FakeCenter center;
    // The server's socket needs the application's event loop, so the application comes first.
    QCoreApplication& app = test::application();
    FeedServer server;
    Date now = std::chrono::system_clock::time_point(500'000h);
    bool inFocus = false;
    Updater::Environment environment{.now = [this] { return now; },
                                     .jitter = [] { return 0.0; },
                                     .inFocus = [this] { return inFocus; },
                                     .center = &center,
                                     .builtInFeed = {},
                                     .current = QVersionNumber(0, 9),
                                     .checkTime = checkTime};
    std::unique_ptr<Updater> updater;
    std::vector<UpdateOutcome> windows;
};

// Refused feeds and hostile servers: each check ends in time with one line in words of its
// own, and the window says the same.
TEST_F(UpdaterTests, refusedFeedsLeaveOneLineAndNoOffer) {
    const QByteArray ok = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
    const auto redirect = [&](const QUrl& target) {
        server.respond("HTTP/1.1 302 Found\r\nLocation: " + target.toEncoded() +
                       "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    };
    // 32 MB of nothing in 32 kB.
    const QByteArray bomb = qCompress(QByteArray(32 * 1024 * 1024, '\0'), 9).mid(4);
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { server.serve(feedOffering("2.0").left(60)); }, "XML mal formado"},
        // A byte every tenth of a second: the transfer never goes quiet, the check ends anyway.
        {[&] { server.respond(ok + "Content-Length: 100000\r\n\r\n", FeedServer::Tail::trickle); },
         "el servidor tarda demasiado"},
        {[&] { redirect(server.address()); }, "demasiadas redirecciones"},
        {[&] {
             server.respond(ok + "Content-Encoding: deflate\r\nContent-Length: " +
                            QByteArray::number(bomb.size()) + "\r\n\r\n" + bomb);
         },
         "el contenido comprimido no es válido o es demasiado grande"},
        {[&] { redirect(QUrl(server.address().toString().replace(u"http:"_qs, u"https:"_qs))); },
         "redirige a otro esquema"},
        {[&] { server.respond("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"); },
         "Not Found"},
        {[&] { SettingsStore::setUpdateFeedURL(u"http://192.0.2.7/a.xml"_qs); },
         "«http://192.0.2.7/a.xml» no es HTTPS"},
    };
    for (const auto& [arrange, line] : cases) {
        const qsizetype before = test::loggedErrors().size();
        const size_t windowsBefore = windows.size();
        arrange();
        updater->checkForUpdates();
        updater->checkForUpdates(); // a later click joins the check and gets its answer
        ASSERT_TRUE(test::waitUntil([&] { return windows.size() > windowsBefore; }, checkTime + 3s))
            << line;
        test::spin(50ms);
        ASSERT_EQ(windows.size(), windowsBefore + 1) << line;
        EXPECT_EQ(windows.back().kind, UpdateOutcome::Kind::failed) << line;
        EXPECT_TRUE(windows.back().error.contains(QString::fromUtf8(line)))
            << windows.back().error.toStdString();
        const QStringList errors = test::loggedErrors().mid(before);
        EXPECT_EQ(errors, QStringList{u"Actualizaciones: "_qs + windows.back().error}) << line;
    }
    // A body without a length (in chunks) is read no further than near the limit, even while the
    // event loop is too busy to take it: the loop is held from the request until the flood stands
    // still, so the network thread alone decides how much is read.
    const int requests = server.requests();
    const size_t windowsBefore = windows.size();
    SettingsStore::setUpdateFeedURL(server.address().toString());
    server.respond(ok + "Transfer-Encoding: chunked\r\n\r\n", FeedServer::Tail::flood);
    updater->checkForUpdates();
    ASSERT_TRUE(test::waitUntil([&] { return server.requests() > requests; }, checkTime));
    const auto holdUntil = std::chrono::steady_clock::now() + checkTime / 2;
    for (qint64 sent = -1;
         sent != server.flooded() && std::chrono::steady_clock::now() < holdUntil;) {
        sent = server.flooded();
        std::this_thread::sleep_for(200ms);
    }
    ASSERT_TRUE(test::waitUntil([&] { return windows.size() > windowsBefore; }, checkTime + 3s));
    EXPECT_TRUE(windows.back().error.contains(u"pasa de 1 MB"_qs))
        << windows.back().error.toStdString();
    test::waitUntil([&] { return !server.answering(); }, 6s);
    EXPECT_LT(server.flooded(), 16 * 1024 * 1024) << "bytes the reader took of the flood";
    EXPECT_TRUE(center.added.empty());
    EXPECT_FALSE(updater->availableVersion());
}

TEST_F(UpdaterTests, checksEverySixHoursOffersNothingOlderAndANewerVersionInTheBackground) {
    QSettings(SettingsStore::filePath(), QSettings::IniFormat)
        .setValue(SettingsStore::previewUpdateKey, u"9.9"_qs);
    start();
    EXPECT_EQ(updater->availableVersion(), u"9.9"_qs);
    server.serve(feedOffering("0.9"));
    const Date launch = now;
    EXPECT_EQ(updater->nextCheck(), launch + 1min);
    now = launch + 30s;
    updater->checkIfDue();
    test::spin(100ms);
    EXPECT_EQ(server.requests(), 0);

    runScheduledCheck();
    const Date checked = now;
    now = checked + 1h;
    start();
    EXPECT_EQ(updater->nextCheck(), checked + 6h);
    server.serve(feedOffering("0.8.7"));
    runScheduledCheck();
    EXPECT_EQ(updater->nextCheck(), checked + 12h);
    // A check the user asks for moves the next one on; a feed switched off stops the schedule.
    now += 1h;
    server.serve(feedOffering("0.9.0"));
    updater->checkForUpdates();
    ASSERT_TRUE(test::waitUntil([&] { return !windows.empty(); }));
    EXPECT_EQ(windows.back().kind, UpdateOutcome::Kind::upToDate);
    EXPECT_EQ(updater->nextCheck(), now + 6h);
    updater->finishSession(); // the end of a session ends a preview
    EXPECT_FALSE(updater->availableVersion());

    // A newer version found in the background is a notice; in front, a window takes its place.
    int changes = 0;
    QObject::connect(updater.get(), &Updater::availableVersionChanged, [&] { ++changes; });
    server.serve(feedOffering("0.10"));
    runScheduledCheck();
    ASSERT_EQ(center.added.size(), 1u);
    EXPECT_EQ(center.added[0], Notifier::updateRequest(QStringLiteral("0.10")));
    EXPECT_EQ(updater->availableVersion(), QStringLiteral("0.10"));
    EXPECT_EQ(windows.size(), 1u);
    inFocus = true;
    runScheduledCheck();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows.back().item.downloadAddress(), QUrl(u"https://example.org/tisko.deb"_qs));
    EXPECT_EQ(center.added.size(), 1u);
    updater->windowShown();
    EXPECT_EQ(center.removed, std::vector{Notifier::updateIdentifier()});
    updater->finishSession();
    EXPECT_EQ(changes, 2) << "the same version again notifies nobody";
    EXPECT_TRUE(test::loggedLines().isEmpty());
    SettingsStore::setUpdateFeedURL(QString());
    EXPECT_FALSE(updater->nextCheck());
}

QByteArray channel(const QByteArray& items) {
    return "<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:up=\"urn:x-feed\"><channel>"
           "<title>Tisko</title>" +
           items + "</channel></rss>";
}

TEST(AppcastTests, readsItemsDropsLinksOtherThanWebAndRefusesWhatIsNotAFeed) {
    const Appcast::Reading reading = Appcast::read(channel(
        "<item><up:version>0.3.0</up:version><up:shortVersionString>0.3</up:shortVersionString>"
        "<up:releaseNotesLink>https://e.org/n</up:releaseNotesLink><link>https://e.org/p</link>"
        "<enclosure url=\"https://e.org/t.deb\" length=\"9\"/></item>"
        "<item><enclosure url=\"https://e.org/b.deb\" length=\"9\" up:version=\"0.10\"/></item>"
        "<item><up:version>1</up:version><link>file:///etc/passwd</link>"
        "<enclosure url=\"javascript:alert(1)\"/></item>"));
    ASSERT_EQ(reading.items.size(), 3u);
    EXPECT_TRUE(reading.problem.isEmpty());
    EXPECT_EQ(reading.items[0],
              (AppcastItem{QVersionNumber(0, 3, 0), u"0.3"_qs, QUrl(u"https://e.org/n"_qs),
                           QUrl(u"https://e.org/t.deb"_qs), QUrl(u"https://e.org/p"_qs)}));
    EXPECT_EQ(reading.items[1].displayVersion, u"0.10"_qs);
    EXPECT_TRUE(reading.items[2].downloadAddress().isEmpty());

    // Each document, whether it is refused whole, the items kept, and words of the problem.
    const std::tuple<QByteArray, bool, size_t, const char*> cases[] = {
        {channel("<item>").left(80), true, 0, "XML mal formado"},
        {channel("<item><up:version>2</up:version></item>") + "<", true, 0, "XML mal formado"},
        {"<html><body/></html>", true, 0, "RSS"},
        {"", true, 0, ""},
        {channel("<item><up:version>2.0-beta</up:version></item>"
                 "<item><up:version>1.5</up:version></item>"),
         false, 1, "versión ilegible «2.0-beta»"},
        {channel("<item><enclosure url=\"https://e.org/t.deb\" length=\"9\"/></item>"), false, 0,
         "versión ilegible"},
        {channel("<item><up:version>1" + QByteArray(".0").repeated(35) + "</up:version></item>"),
         false, 0, "versión ilegible"},
        {channel("<item><up:version>2</up:version><up:shortVersionString>2 " + QByteArray(70, 'x') +
                 "</up:shortVersionString></item>"),
         false, 0, "versión ilegible"},
    };
    for (const auto& [document, refused, items, problem] : cases) {
        const Appcast::Reading other = Appcast::read(document);
        EXPECT_EQ(other.refused, refused) << document.constData();
        EXPECT_EQ(other.items.size(), items) << document.constData();
        EXPECT_TRUE(other.problem.contains(QString::fromUtf8(problem))) << document.constData();
        EXPECT_FALSE(other.problem.isEmpty()) << document.constData();
    }
}

// When the next check is due, from the last one, the launch and a jitter of -1 to 1.
TEST(UpdateScheduleTests, dueTimes) {
    const Date launch = std::chrono::system_clock::time_point(1'000'000h);
    const std::tuple<std::optional<Date>, Date, double, Date> cases[] = {
        {std::nullopt, launch + 2h, 0, launch + 2h},            // never checked, started long ago
        {launch - 1h, launch, 7, launch + 5h + 36min},          // the longest jitter, bounded
        {launch - 1h, launch, -7, launch + 4h + 24min},         // the shortest, bounded
        {launch - 2 * 24h, launch, 0, launch + 1min},           // overdue: after the launch grace
        {launch + 48h, launch + 10min, 0, launch + 6h + 10min}, // a last check ahead is now
    };
    for (const auto& [last, now, jitter, due] : cases)
        EXPECT_EQ(UpdateSchedule::nextCheck(last, launch, now, jitter), due)
            << std::chrono::duration_cast<std::chrono::minutes>(due - launch).count();
}

} // namespace
} // namespace tisko
