// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One Tisko per data folder: the lock, the hand-over of requests, and strangers kept out.
#include "EventLoop.h"
#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/App/SingleInstance.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/Storage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstring>
#include <future>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tisko::test {
namespace {

// Serves the running instance on this thread until `work`, run on a thread of its own, ends.
template <class Work> auto whileServing(Work work) {
    auto answer = std::async(std::launch::async, std::move(work));
    while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return answer.get();
}

constexpr uid_t nobody = 65534;

// Runs `child` in a forked process as the user nobody and returns its exit status; this
// thread serves the event loop meanwhile. The child makes system calls only.
template <class Child> int asNobody(Child child) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(::setgid(nobody) == 0 && ::setuid(nobody) == 0 ? child() : 99);
    int status = 0;
    whileServing([&] { return ::waitpid(pid, &status, 0); });
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

sockaddr_un addressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    return address;
}

// Each test runs in a process of its own: the runtime folder it sets is not put back.
struct SingleInstanceTests : ::testing::Test {
    void SetUp() override {
        application();
        Storage::forgetFolderForTesting();
        Log::restartForTesting();
        QDir().mkpath(runtime);
        ::chmod(QFile::encodeName(runtime).constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    TempHome home;
    QString runtime = home.path() + QStringLiteral("/runtime");
};

TEST_F(SingleInstanceTests, secondLaunchHandsItsRequestsToTheFirstAndTakesOverOnceItIsGone) {
    auto first = SingleInstance::forDataFolder();
    ASSERT_TRUE(first->claim());
    EXPECT_TRUE(first->lockPath().startsWith(runtime));
    EXPECT_EQ(modeOf(first->lockPath()), 0600u);
    std::vector<SingleInstance::Request> received;
    QObject::connect(first.get(), &SingleInstance::requested,
                     [&](SingleInstance::Request r) { received.push_back(r); });

    auto second = SingleInstance::forDataFolder();
    EXPECT_FALSE(second->claim()) << "the data folder is taken";
    const std::vector<SingleInstance::Request> requests{
        SingleInstance::Request::check, SingleInstance::Request::show,
        SingleInstance::Request::pauseUntilTomorrow, SingleInstance::Request::resume};
    for (const SingleInstance::Request request : requests)
        EXPECT_TRUE(whileServing([&] { return second->forward(request, 3000); }));
    std::vector<unsigned> pauses;
    QObject::connect(first.get(), &SingleInstance::pauseRequested,
                     [&](unsigned minutes) { pauses.push_back(minutes); });
    EXPECT_TRUE(whileServing([&] { return second->forwardPause(90, 3000); }));
    // The settings carry their page; a name with a line break must not slip in a second
    // request.
    QStringList pages;
    QObject::connect(first.get(), &SingleInstance::settingsRequested,
                     [&](const QString& tab) { pages << tab; });
    for (const QString& tab : {QStringLiteral("detection"), QString(), QStringLiteral("x\ncheck")})
        EXPECT_TRUE(whileServing([&] { return second->forwardSettings(tab, 3000); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(received, requests);
    EXPECT_EQ(pauses, std::vector<unsigned>{90});
    EXPECT_EQ(pages, (QStringList{QStringLiteral("detection"), QString(), QStringLiteral("?")}));
    // A launch's activation token travels with its request; one that could add a field not.
    QList<QByteArray> tokens;
    QObject::connect(first.get(), &SingleInstance::handedOver,
                     [&](const QByteArray& token) { tokens << token; });
    for (const QByteArray& token : {QByteArray("gnome-shell/Tisko/42_TIME7"), QByteArray("a b")}) {
        second->setActivationToken(token);
        EXPECT_TRUE(whileServing([&] { return second->forwardSettings(QString(), 3000); }));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(tokens, (QList<QByteArray>{"gnome-shell/Tisko/42_TIME7", ""}));

    // Once the first has gone, the next launch becomes the running one.
    first.reset();
    EXPECT_FALSE(second->forward(SingleInstance::Request::show, 300)) << "nobody answers: it ends";
    EXPECT_TRUE(second->claim());
}

TEST_F(SingleInstanceTests, withoutAPrivateRuntimeFolderAPrivateFolderOfTheStateHomeServes) {
    const QString own = home.stateHome() + QStringLiteral("/Tisko/instance");
    // A folder everybody may write is no runtime folder.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(QDir::tempPath()));
    auto instance = SingleInstance::forDataFolder();
    EXPECT_TRUE(instance->lockPath().startsWith(own + QLatin1Char('/')));
    EXPECT_EQ(modeOf(own), 0700u);
    EXPECT_EQ(modeOf(QFileInfo(own).absolutePath()), 0700u) << "the state folder made for it";
    EXPECT_TRUE(instance->claim());
}

TEST_F(SingleInstanceTests, theRunningOneTakesNoRequestFromAnotherUser) {
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

    EXPECT_EQ(loggedErrors().size(), 1) << qPrintable(loggedErrors().join(u'\n'));
}

} // namespace
} // namespace tisko::test
