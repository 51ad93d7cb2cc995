// One Tisko per data folder: the lock, the hand-over of requests and a lock left by a crash.
#include "EventLoop.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/App/SingleInstance.h"
#include "Tisko/Support/Storage.h"

#include <QCoreApplication>
#include <QLocalSocket>
#include <QProcess>

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace tisko::test {
namespace {

// Serves the running instance on this thread until `work`, run on a thread of its own, ends.
template <class Work> auto whileServing(Work work) {
    auto answer = std::async(std::launch::async, std::move(work));
    while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return answer.get();
}

bool forwardWhileServing(SingleInstance& later, SingleInstance::Request request) {
    return whileServing([&] { return later.forward(request, 3000); });
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

TEST_F(SingleInstanceTest, AnUnwritableDataFolderStillAllowsOneRunningTisko) {
    // A file where the folder belongs: nothing can be written into it, not even by root.
    ASSERT_TRUE(writeFile(home.dataHome() + QStringLiteral("/Tisko"), {}));
    auto first = SingleInstance::forDataFolder();
    ASSERT_TRUE(first->claim());
    EXPECT_FALSE(SingleInstance::forDataFolder()->claim());
}

TEST_F(SingleInstanceTest, ForwardingWithNobodyListeningFailsWithinItsTime) {
    auto lonely = SingleInstance::forDataFolder();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(lonely->forward(SingleInstance::Request::check, 300));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
}

TEST_F(SingleInstanceTest, ALockIsRespectedWhileItsProcessLivesAndTakenOverOnceItIsDead) {
    QProcess holder;
    holder.start(QStringLiteral("/bin/sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted(5000));
    auto instance = SingleInstance::forDataFolder();
    // The holder's pid in the lock file and a socket file, as a SIGKILL leaves them.
    ASSERT_TRUE(writeFile(instance->lockPath(), QByteArray::number(holder.processId()) +
                                                    "\nsleep\n" +
                                                    QSysInfo::machineHostName().toUtf8() + "\n"));
    ASSERT_TRUE(writeFile(instance->serverName(), {}));
    EXPECT_FALSE(instance->claim());

    holder.kill();
    holder.waitForFinished(5000);
    EXPECT_TRUE(instance->claim());
    auto later = SingleInstance::forDataFolder();
    int received = 0;
    QObject::connect(instance.get(), &SingleInstance::requested, [&] { ++received; });
    EXPECT_TRUE(forwardWhileServing(*later, SingleInstance::Request::check));
    QCoreApplication::processEvents();
    EXPECT_EQ(received, 1);
}

TEST_F(SingleInstanceTest, AStrangerOnTheSocketGetsNoRequestThrough) {
    auto first = SingleInstance::forDataFolder();
    ASSERT_TRUE(first->claim());
    int received = 0;
    QObject::connect(first.get(), &SingleInstance::requested, [&] { ++received; });
    const QByteArray answer = whileServing([name = first->serverName()] {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(2000))
            return QByteArray("no connection");
        socket.write("format-disk\n");
        socket.waitForBytesWritten(2000);
        socket.waitForReadyRead(2000);
        return socket.readAll();
    });
    EXPECT_EQ(answer, QByteArray("?\n"));
    QCoreApplication::processEvents();
    EXPECT_EQ(received, 0);
}

TEST_F(SingleInstanceTest, APeerThatNeverEndsItsLineIsDropped) {
    auto first = SingleInstance::forDataFolder();
    ASSERT_TRUE(first->claim());
    const bool dropped = whileServing([name = first->serverName()] {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(2000))
            return false;
        socket.write("che");
        socket.waitForBytesWritten(2000);
        return socket.waitForDisconnected(5000);
    });
    EXPECT_TRUE(dropped);
}

} // namespace
} // namespace tisko::test
