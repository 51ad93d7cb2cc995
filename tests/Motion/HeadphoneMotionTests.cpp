// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "EventLoop.h"
#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/Motion/HeadphoneMotion.h"
#include "Tisko/Support/Log.h"

#include <QHostAddress>
#include <QUdpSocket>
#include <QtEndian>

#include <limits>
#include <numbers>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tisko {
namespace {

using test::waitUntil;

// A tracker datagram: x, y, z, yaw, pitch, roll as little-endian doubles.
QByteArray datagram(double pitchDegrees) {
    const double fields[6] = {1.5, -2.0, 40.0, 12.0, pitchDegrees, 3.0};
    QByteArray bytes(sizeof(fields), '\0');
    for (int i = 0; i < 6; ++i)
        qToLittleEndian(fields[i], bytes.data() + i * static_cast<int>(sizeof(double)));
    return bytes;
}

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// A line of /proc/net/udp for a socket bound to 127.0.0.1:`port` owned by `uid`.
QByteArray udpLine(quint16 port, uint uid) {
    return QStringLiteral("  1: 0100007F:%1 00000000:0000 07 00000000:00000000 00:00000000 "
                          "00000000 %2 0 4242 2 0000000000000000 0\n")
        .arg(port, 4, 16, QLatin1Char('0'))
        .arg(uid)
        .toUpper()
        .toLatin1();
}

class HeadTrackerTests : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        Log::restartForTesting();
        ASSERT_TRUE(m_sender.bind(QHostAddress::LocalHost, 0));
        motion.setOnPitch([this](double value) { pitches.push_back(value); });
        motion.setOnConnectionChange([this](bool connected) {
            // The pitch is already cleared when a disconnect is told.
            connections.push_back({connected, motion.pitch()});
        });
    }
    void TearDown() override { Log::restartForTesting(); }

    void send(const QByteArray& bytes, QUdpSocket& from) {
        ASSERT_NE(motion.boundPort(), 0);
        ASSERT_EQ(from.writeDatagram(bytes, QHostAddress::LocalHost, motion.boundPort()),
                  bytes.size());
    }
    void send(const QByteArray& bytes) { send(bytes, m_sender); }
    quint16 senderPort() const { return m_sender.localPort(); }

    struct Connection {
        bool connected;
        std::optional<double> pitchAtCall;
    };
    test::TempHome home;
    HeadphoneMotion motion{0};
    std::vector<double> pitches;
    std::vector<Connection> connections;
    QUdpSocket m_sender;
};

TEST_F(HeadTrackerTests, datagramsGivePitchInRadiansAndConnectOnTheFirst) {
    motion.start();
    const quint16 port = motion.boundPort();
    motion.start(); // a second start keeps the socket and logs nothing
    EXPECT_EQ(motion.boundPort(), port);
    EXPECT_EQ(test::loggedMessages(),
              QStringList{QStringLiteral("Seguidor de cabeza: escuchando")});

    send(datagram(-10.0));
    send(datagram(5.5));
    ASSERT_TRUE(waitUntil([&] { return pitches.size() == 2; }));
    EXPECT_DOUBLE_EQ(pitches[0], radians(-10.0));
    EXPECT_DOUBLE_EQ(pitches[1], radians(5.5));
    EXPECT_EQ(motion.pitch(), std::optional<double>(radians(5.5)));
    ASSERT_EQ(connections.size(), 1u);
    EXPECT_TRUE(connections[0].connected);
}

TEST_F(HeadTrackerTests, malformedDatagramsAreIgnored) {
    motion.start();
    send(datagram(20.0).left(40));
    send(datagram(20.0) + QByteArray(8, '\0'));
    send(datagram(std::numeric_limits<double>::quiet_NaN()));
    send(datagram(std::numeric_limits<double>::infinity()));
    send(datagram(7.0)); // one socket's datagrams arrive in order: this one comes last
    ASSERT_TRUE(waitUntil([&] { return !pitches.empty(); }));
    ASSERT_EQ(pitches.size(), 1u);
    EXPECT_DOUBLE_EQ(pitches[0], radians(7.0));
    EXPECT_EQ(connections.size(), 1u) << "garbage alone does not count as a tracker";
}

TEST_F(HeadTrackerTests, silenceDisconnectsWithPitchAlreadyClearedAndTheNextDatagramReconnects) {
    motion.start();
    send(datagram(3.0));
    ASSERT_TRUE(waitUntil([&] { return connections.size() == 2; },
                          std::chrono::milliseconds(HeadphoneMotion::silenceMs * 2)));
    EXPECT_FALSE(connections[1].connected);
    EXPECT_EQ(connections[1].pitchAtCall, std::nullopt);
    EXPECT_TRUE(motion.isRunning());

    send(datagram(4.0));
    ASSERT_TRUE(waitUntil([&] { return connections.size() == 3; }));
    EXPECT_TRUE(connections[2].connected);
}

TEST_F(HeadTrackerTests, stopFreesThePortAndACallbackStoppingMidBatchEndsTheBatch) {
    motion.setOnPitch([this](double value) {
        pitches.push_back(value);
        motion.stop();
    });
    motion.start();
    const quint16 port = motion.boundPort();
    send(datagram(1.0));
    send(datagram(2.0));
    ASSERT_TRUE(waitUntil([&] { return !pitches.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(pitches.size(), 1u);
    EXPECT_FALSE(motion.isRunning());
    EXPECT_EQ(motion.pitch(), std::nullopt);
    QUdpSocket next;
    EXPECT_TRUE(next.bind(QHostAddress::LocalHost, port));
    motion.stop(); // not running: nothing to do
}

TEST_F(HeadTrackerTests, aTakenPortLeavesItNotRunningWithOneLine) {
    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::LocalHost, 0));
    HeadphoneMotion blocked(other.localPort());
    EXPECT_FALSE(blocked.isDeviceMotionAvailable());
    blocked.start();
    blocked.start();
    EXPECT_FALSE(blocked.isRunning());
    ASSERT_EQ(test::loggedErrors().size(), 1);
    EXPECT_TRUE(test::loggedErrors()[0].startsWith(
        QStringLiteral("Seguidor de cabeza: no puedo escuchar en el puerto %1")
            .arg(other.localPort())));

    other.close();
    blocked.start();
    EXPECT_TRUE(blocked.isRunning());
    EXPECT_TRUE(blocked.isDeviceMotionAvailable());
}

TEST_F(HeadTrackerTests, onlyDatagramsFromSocketsOfOurUserCountEachOtherSenderLoggedOnce) {
    // The kernel's table as a fake: our sender belongs to user 4321, a second one to us.
    const QString proc = home.path() + QStringLiteral("/proc");
    QUdpSocket ours;
    ASSERT_TRUE(ours.bind(QHostAddress::LocalHost, 0));
    ASSERT_TRUE(test::writeFile(proc + QStringLiteral("/net/udp"),
                                "  sl  local_address rem_address   st tx_queue rx_queue tr "
                                "tm->when retrnsmt   uid  timeout inode\n" +
                                    udpLine(senderPort(), 4321) +
                                    udpLine(ours.localPort(), ::geteuid())));
    HeadphoneMotion guarded(0, proc);
    std::vector<double> seen;
    guarded.setOnPitch([&](double value) { seen.push_back(value); });
    guarded.start();
    for (const double degrees : {1.0, 2.0, 3.0})
        ASSERT_EQ(
            m_sender.writeDatagram(datagram(degrees), QHostAddress::LocalHost, guarded.boundPort()),
            48);
    ASSERT_EQ(ours.writeDatagram(datagram(9.0), QHostAddress::LocalHost, guarded.boundPort()), 48);
    ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen, std::vector<double>{radians(9.0)});
    EXPECT_EQ(test::loggedErrors(),
              QStringList{QStringLiteral("Seguidor de cabeza: descarto los datos del puerto %1, "
                                         "de otro usuario")
                              .arg(senderPort())});

    // The port changes hands: once the owners are read again, it counts, and nothing is logged.
    ASSERT_TRUE(test::writeFile(proc + QStringLiteral("/net/udp"),
                                "  sl  local_address\n" + udpLine(senderPort(), ::geteuid())));
    EXPECT_TRUE(waitUntil([&] {
        m_sender.writeDatagram(datagram(4.0), QHostAddress::LocalHost, guarded.boundPort());
        return seen.size() > 1;
    }));
    EXPECT_EQ(test::loggedErrors().size(), 1);
}

TEST_F(HeadTrackerTests, anotherUsersProcessCannotMoveTheHead) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    motion.start();
    const quint16 port = motion.boundPort();
    int hold[2];
    ASSERT_EQ(::pipe(hold), 0);
    // The child of a threaded process makes system calls only: nothing that allocates.
    const QByteArray bytes = datagram(30.0);
    const pid_t child = ::fork();
    if (child == 0) {
        // Sends as the user nobody and keeps its socket until told, as a tracker does.
        ::close(hold[1]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = qToBigEndian(port);
        to.sin_addr.s_addr = qToBigEndian(quint32(0x7F000001));
        ::sendto(fd, bytes.constData(), 48, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        char byte = 0;
        ::_exit(static_cast<int>(::read(hold[0], &byte, 1)));
    }
    ::close(hold[0]);
    const bool refused = waitUntil([] { return !test::loggedErrors().isEmpty(); });
    ::close(hold[1]);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(refused);
    EXPECT_TRUE(pitches.empty());

    send(datagram(5.0));
    EXPECT_TRUE(waitUntil([&] { return !pitches.empty(); }));
}

} // namespace
} // namespace tisko
