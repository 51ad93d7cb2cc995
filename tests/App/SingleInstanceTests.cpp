// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One Tisko per data folder: the lock, the hand-over of requests, and strangers kept out.
#include "EventLoop.h"
#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/App/SingleInstance.h"
#include "Tisko/Motion/HeadphoneMotion.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/Storage.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <iostream>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tisko::test {
namespace {

constexpr uid_t nobody = 65534;

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

// Runs `child` in a forked process as the user nobody; its exit status once it ends, with
// this thread serving the event loop meanwhile.
int asNobody(const std::function<int()>& child) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(::setgid(nobody) == 0 && ::setuid(nobody) == 0 ? child() : 99);
    int status = 0;
    whileServing([&] { return ::waitpid(pid, &status, 0); });
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The address of the local socket at `path`.
sockaddr_un addressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    return address;
}

struct SingleInstanceTests : ::testing::Test {
    void SetUp() override {
        application();
        Storage::forgetFolderForTesting();
        Log::restartForTesting();
        if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
            savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        QDir().mkpath(runtime);
        ::chmod(QFile::encodeName(runtime).constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    void TearDown() override {
        Storage::forgetFolderForTesting();
        Log::restartForTesting();
        if (savedRuntime)
            qputenv("XDG_RUNTIME_DIR", *savedRuntime);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }
    TempHome home;
    QString runtime = home.path() + QStringLiteral("/runtime");
    std::optional<QByteArray> savedRuntime;
};

TEST_F(SingleInstanceTests, secondLaunchHandsItsRequestToTheFirst) {
    auto first = SingleInstance::forDataFolder();
    ASSERT_TRUE(first->claim());
    EXPECT_TRUE(first->lockPath().startsWith(runtime));
    EXPECT_EQ(modeOf(first->lockPath()), 0600u);
    std::vector<SingleInstance::Request> received;
    QObject::connect(first.get(), &SingleInstance::requested,
                     [&](SingleInstance::Request r) { received.push_back(r); });

    auto second = SingleInstance::forDataFolder();
    EXPECT_EQ(second->serverName(), first->serverName());
    EXPECT_FALSE(second->claim()) << "the data folder is taken";
    EXPECT_TRUE(forwardWhileServing(*second, SingleInstance::Request::check));
    EXPECT_TRUE(forwardWhileServing(*second, SingleInstance::Request::show));
    // The settings carry their page; a name with a line break must not slip in a second
    // request.
    QStringList pages;
    QObject::connect(first.get(), &SingleInstance::settingsRequested,
                     [&](const QString& tab) { pages << tab; });
    for (const QString& tab : {QStringLiteral("detection"), QString(), QStringLiteral("x\ncheck")})
        EXPECT_TRUE(whileServing([&] { return second->forwardSettings(tab, 3000); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(received,
              (std::vector{SingleInstance::Request::check, SingleInstance::Request::show}));
    EXPECT_EQ(pages, (QStringList{QStringLiteral("detection"), QString(), QStringLiteral("?")}));

    // Once the first has gone, the next launch becomes the running one.
    first.reset();
    EXPECT_TRUE(second->claim());
}

TEST_F(SingleInstanceTests, anUnwritableDataFolderStillAllowsOneRunningTisko) {
    // A file where the folder belongs: nothing can be written into it, not even by root.
    ASSERT_TRUE(writeFile(home.dataHome() + QStringLiteral("/Tisko"), {}));
    auto first = SingleInstance::forDataFolder();
    ASSERT_TRUE(first->claim());
    EXPECT_FALSE(SingleInstance::forDataFolder()->claim());
}

TEST_F(SingleInstanceTests, withoutAPrivateRuntimeFolderAPrivateFolderOfTheStateHomeServes) {
    const QString own = home.stateHome() + QStringLiteral("/Tisko/instance");
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(SingleInstance::privateFolder(), own);
    // A folder everybody may write is no runtime folder.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(QDir::tempPath()));
    auto instance = SingleInstance::forDataFolder();
    EXPECT_TRUE(instance->lockPath().startsWith(own + QLatin1Char('/')));
    EXPECT_EQ(modeOf(own), 0700u);
    EXPECT_EQ(modeOf(QFileInfo(own).absolutePath()), 0700u) << "the state folder made for it";
    EXPECT_TRUE(instance->claim());
}

TEST_F(SingleInstanceTests, aLockLeftByADeadTiskoDoesNotCountWhateverItsNumberNowNames) {
    // The number of a live process, as a reused pid would leave it, and its socket's name.
    auto instance = SingleInstance::forDataFolder();
    ASSERT_TRUE(writeFile(instance->lockPath(), QByteArray::number(::getppid()) + "\n"));
    ASSERT_TRUE(writeFile(instance->serverName(), {}));
    ::chmod(QFile::encodeName(instance->lockPath()).constData(), 0644);
    EXPECT_TRUE(instance->claim());
    EXPECT_EQ(modeOf(instance->lockPath()), 0600u);

    auto later = SingleInstance::forDataFolder();
    int received = 0;
    QObject::connect(instance.get(), &SingleInstance::requested, [&] { ++received; });
    EXPECT_TRUE(forwardWhileServing(*later, SingleInstance::Request::check));
    QCoreApplication::processEvents();
    EXPECT_EQ(received, 1);
}

TEST_F(SingleInstanceTests, aPeerWithoutAWordOfOursGetsNothingThrough) {
    auto first = SingleInstance::forDataFolder();
    ASSERT_TRUE(first->claim());
    int received = 0;
    QObject::connect(first.get(), &SingleInstance::requested, [&] { ++received; });
    const auto talk = [name = first->serverName()](QByteArray words) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(2000))
            return QByteArray("no connection");
        socket.write(words);
        socket.waitForBytesWritten(2000);
        socket.waitForDisconnected(5000); // a line that never ends is dropped
        return socket.readAll();
    };
    EXPECT_EQ(whileServing([&] { return talk("format-disk\n"); }), QByteArray("?\n"));
    EXPECT_EQ(whileServing([&] { return talk("che"); }), QByteArray());
    QCoreApplication::processEvents();
    EXPECT_EQ(received, 0);
}

TEST_F(SingleInstanceTests, eachEndTalksOnlyToAPeerOfTheSameUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    // A folder and a socket another user can reach, as a careless setup might leave them.
    const QString shared = home.path() + QStringLiteral("/shared");
    ASSERT_TRUE(QDir().mkpath(shared));
    ::chmod(QFile::encodeName(home.path()).constData(), 0711);
    ::chmod(QFile::encodeName(shared).constData(), 0777);
    SingleInstance first(shared + QStringLiteral("/a.lock"), shared + QStringLiteral("/a.socket"));
    ASSERT_TRUE(first.claim());
    ::chmod(QFile::encodeName(first.serverName()).constData(), 0777);
    int received = 0;
    QObject::connect(&first, &SingleInstance::requested, [&] { ++received; });
    // The children of this threaded process make system calls only: nothing that allocates.
    const sockaddr_un firstAddress = addressOf(first.serverName());
    const int answered = asNobody([&firstAddress] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&firstAddress), sizeof firstAddress))
            return 98;
        char answer[8];
        return ::write(fd, "show\n", 5) == 5 && ::read(fd, answer, 8) > 0 ? 1 : 0;
    });
    EXPECT_EQ(answered, 0) << "another user's request is neither answered nor taken";
    QCoreApplication::processEvents();
    EXPECT_EQ(received, 0);

    // Another user listening first at the name a later launch hands its request to.
    const QString trap = shared + QStringLiteral("/b.socket");
    const sockaddr_un address = addressOf(trap);
    const pid_t server = ::fork();
    if (server == 0) {
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(99);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd, 1) != 0)
            ::_exit(98);
        const int peer = ::accept(fd, nullptr, nullptr);
        char word[16];
        const bool replied = ::read(peer, word, sizeof word) > 0 && ::write(peer, "ok\n", 3) == 3;
        ::_exit(replied ? 0 : 1);
    }
    SingleInstance later(shared + QStringLiteral("/b.lock"), trap);
    EXPECT_FALSE(later.forward(SingleInstance::Request::show, 3000));
    ::kill(server, SIGKILL);
    ::waitpid(server, nullptr, 0);
    EXPECT_EQ(loggedErrors().size(), 2) << qPrintable(loggedErrors().join(u'\n'));
}

// Another user floods the head tracker's port from ever new ports; the running Tisko still
// answers a later launch, and the log gets a line or two. Prints the reply times.
TEST_F(SingleInstanceTests, anotherUsersDatagramFloodLeavesTheRunningOneAnswering) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    HeadphoneMotion tracker(0);
    tracker.start();
    ASSERT_TRUE(tracker.isRunning());
    auto first = SingleInstance::forDataFolder();
    ASSERT_TRUE(first->claim());
    SingleInstance later(first->lockPath(), first->serverName());

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = qToBigEndian(tracker.boundPort());
    to.sin_addr.s_addr = qToBigEndian(quint32(0x7F000001));
    const QByteArray datagram(48, '\0');
    int stop[2];
    ASSERT_EQ(::pipe(stop), 0);
    const pid_t flooder = ::fork();
    if (flooder == 0) {
        // System calls only, as the user nobody: a new socket, and so a new port, every 20
        // datagrams, until told to stop.
        ::close(stop[1]);
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(99);
        pollfd told{stop[0], POLLIN, 0};
        while (::poll(&told, 1, 0) == 0) {
            const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
            for (int i = 0; i < 20; ++i)
                ::sendto(fd, datagram.constData(), 48, 0, reinterpret_cast<sockaddr*>(&to),
                         sizeof to);
            ::close(fd);
        }
        ::_exit(0);
    }
    ::close(stop[0]);
    std::vector<double> replies; // ms
    const bool allAnswered = whileServing([&] {
        QElapsedTimer flood;
        flood.start();
        bool all = true;
        while (flood.elapsed() < 3000) {
            QElapsedTimer reply;
            reply.start();
            all = later.forward(SingleInstance::Request::show, 5000) && all;
            replies.push_back(double(reply.nsecsElapsed()) / 1e6);
        }
        return all;
    });
    ::close(stop[1]);
    whileServing([&] { return ::waitpid(flooder, nullptr, 0); });
    std::sort(replies.begin(), replies.end());
    std::cout << "Reply through the single-instance socket during the flood: median "
              << replies[replies.size() / 2] << " ms, worst " << replies.back() << " ms, "
              << replies.size() << " requests\n";
    EXPECT_TRUE(allAnswered);
    Log::flush();
    EXPECT_LE(loggedErrors().filter(QStringLiteral("Seguidor de cabeza")).size(), 2);
}

} // namespace
} // namespace tisko::test
