// One Tisko per data folder: the lock, the hand-over of requests and a lock left by a crash.
#include "TempHome.h"

#include "Tisko/App/SingleInstance.h"
#include "Tisko/Support/Storage.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace tisko::test {
namespace {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "tisko_app_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                                : new QCoreApplication(argc, argv);
    return *static_cast<QCoreApplication*>(app);
}

// Runs `forward` on a thread of its own while this thread serves the running instance.
bool forwardWhileServing(SingleInstance& later, SingleInstance::Request request) {
    auto answer = std::async(std::launch::async, [&] { return later.forward(request, 3000); });
    while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return answer.get();
}

struct SingleInstanceTest : ::testing::Test {
    void SetUp() override {
        application();
        Storage::forgetFolderForTesting();
    }
    void TearDown() override { Storage::forgetFolderForTesting(); }
    TempHome home;
};

TEST_F(SingleInstanceTest, SecondLaunchHandsItsRequestToTheFirst) {
    auto first = SingleInstance::forDataFolder();
    ASSERT_TRUE(first->claim());
    std::vector<SingleInstance::Request> received;
    QObject::connect(first.get(), &SingleInstance::requested,
                     [&](SingleInstance::Request r) { received.push_back(r); });

    auto second = SingleInstance::forDataFolder();
    EXPECT_EQ(second->serverName(), first->serverName());
    EXPECT_FALSE(second->claim()) << "the data folder is taken";
    EXPECT_TRUE(forwardWhileServing(*second, SingleInstance::Request::check));
    EXPECT_TRUE(forwardWhileServing(*second, SingleInstance::Request::show));
    QCoreApplication::processEvents();
    EXPECT_EQ(received,
              (std::vector{SingleInstance::Request::check, SingleInstance::Request::show}));

    // Once the first has gone, the next launch becomes the running one.
    first.reset();
    EXPECT_TRUE(second->claim());
}

TEST_F(SingleInstanceTest, ForwardingWithNobodyListeningFailsWithinItsTime) {
    auto lonely = SingleInstance::forDataFolder();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(lonely->forward(SingleInstance::Request::check, 300));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
}

TEST_F(SingleInstanceTest, ALockLeftByADeadProcessIsTakenOver) {
    // A process that has ended leaves its pid in the lock file, as after a SIGKILL.
    QProcess gone;
    gone.start(QStringLiteral("/bin/true"), {});
    ASSERT_TRUE(gone.waitForStarted(5000));
    const qint64 deadPid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished(5000));
    auto instance = SingleInstance::forDataFolder();
    {
        QFile lock(instance->lockPath());
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(deadPid) + "\ntisko\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    }
    // And a socket file nobody listens on.
    QFile socket(instance->serverName());
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();

    EXPECT_TRUE(instance->claim());
    auto later = SingleInstance::forDataFolder();
    std::vector<SingleInstance::Request> received;
    QObject::connect(instance.get(), &SingleInstance::requested,
                     [&](SingleInstance::Request r) { received.push_back(r); });
    EXPECT_TRUE(forwardWhileServing(*later, SingleInstance::Request::check));
    QCoreApplication::processEvents();
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(SingleInstanceTest, ALockHeldByALiveProcessIsRespected) {
    QProcess alive;
    alive.start(QStringLiteral("/bin/sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(alive.waitForStarted(5000));
    auto instance = SingleInstance::forDataFolder();
    {
        QFile lock(instance->lockPath());
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(alive.processId()) + "\nsleep\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    }
    EXPECT_FALSE(instance->claim());
    alive.kill();
    alive.waitForFinished(5000);
    EXPECT_TRUE(instance->claim());
}

TEST_F(SingleInstanceTest, AStrangerOnTheSocketGetsNoRequestThrough) {
    auto first = SingleInstance::forDataFolder();
    ASSERT_TRUE(first->claim());
    int received = 0;
    QObject::connect(first.get(), &SingleInstance::requested, [&] { ++received; });
    auto talk = std::async(std::launch::async, [name = first->serverName()] {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(2000))
            return QByteArray("no connection");
        socket.write("format-disk\n");
        socket.waitForBytesWritten(2000);
        socket.waitForReadyRead(2000);
        return socket.readAll();
    });
    while (talk.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(talk.get(), QByteArray("?\n"));
    QCoreApplication::processEvents();
    EXPECT_EQ(received, 0);
}

} // namespace
} // namespace tisko::test
