// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "EventLoop.h"
#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/Motion/HeadphoneMotion.h"
#include "Tisko/Support/Log.h"

#include <QUdpSocket>
#include <QtEndian>

#include <numbers>

#include <unistd.h>

namespace tisko {
namespace {

constexpr double pi = std::numbers::pi;

// A tracker datagram: x, y, z, yaw, pitch, roll as little-endian doubles.
QByteArray datagram(double pitchDegrees) {
    QByteArray bytes(6 * sizeof(double), '\1');
    qToLittleEndian(pitchDegrees, bytes.data() + 4 * sizeof(double));
    return bytes;
}

// A line of /proc/net/udp for a socket bound to 127.0.0.1:`port` owned by `uid`.
QByteArray udpLine(quint16 port, uint uid) {
    return "  1: 0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0') +
           " 00000000:0000 07 0:0 0:0 0 " + QByteArray::number(uid) + " 0 4242 2 0 0\n";
}

struct HeadTrackerTests : ::testing::Test {
    HeadTrackerTests() {
        test::application();
        Log::restartForTesting();
        sender.bind(QHostAddress::LocalHost, 0);
    }
    ~HeadTrackerTests() override { Log::restartForTesting(); }
    void send(HeadphoneMotion& to, const QByteArray& bytes, QUdpSocket* from = nullptr) {
        ASSERT_NE(to.boundPort(), 0);
        (from ? from : &sender)->writeDatagram(bytes, QHostAddress::LocalHost, to.boundPort());
    }
    test::TempHome home;
    QUdpSocket sender;
    std::vector<double> seen;
};

TEST_F(HeadTrackerTests, datagramsGivePitchInRadiansGarbageNothingAndSilenceDisconnects) {
    HeadphoneMotion motion(0);
    // Each change of connection, and the pitch when it was told (cleared before a disconnect).
    std::vector<std::pair<bool, std::optional<double>>> connections;
    QObject::connect(&motion, &HeadphoneMotion::pitchReceived,
                     [&](double value) { seen.push_back(value); });
    QObject::connect(&motion, &HeadphoneMotion::connectedChanged, [&](bool on) {
        connections.push_back({on, motion.pitch()});
    });
    motion.start();
    motion.start(); // a second start keeps the socket and logs nothing
    EXPECT_EQ(test::loggedMessages().size(), 1);

    for (const QByteArray& bytes :
         {datagram(20.0).left(40), datagram(20.0) + QByteArray(8, '\0'), datagram(qQNaN()),
          datagram(qInf()), datagram(-10.0), datagram(5.5)})
        send(motion, bytes);
    ASSERT_TRUE(test::waitUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen, (std::vector{-10.0 * pi / 180.0, 5.5 * pi / 180.0}));
    EXPECT_EQ(motion.pitch(), seen.back());
    EXPECT_EQ(connections, (decltype(connections){{true, std::nullopt}}))
        << "garbage is no tracker";

    // Silence disconnects, with the pitch already cleared; the next datagram reconnects.
    ASSERT_TRUE(test::waitUntil([&] { return connections.size() == 2; },
                                std::chrono::milliseconds(HeadphoneMotion::silenceMs * 2)));
    EXPECT_EQ(connections[1], std::pair(false, std::optional<double>()));
    send(motion, datagram(4.0));
    EXPECT_TRUE(test::waitUntil([&] { return connections.size() == 3; }));
}

TEST_F(HeadTrackerTests, aTakenPortIsToldOnceAndStopFreesItEvenFromACallbackMidBatch) {
    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::LocalHost, 0));
    const quint16 port = other.localPort();
    HeadphoneMotion blocked(port);
    EXPECT_FALSE(blocked.isDeviceMotionAvailable());
    blocked.start();
    EXPECT_FALSE(blocked.isRunning());
    EXPECT_EQ(test::loggedErrors().size(), 1);
    other.close();
    blocked.start();
    EXPECT_TRUE(blocked.isDeviceMotionAvailable());

    QObject::connect(&blocked, &HeadphoneMotion::pitchReceived, [&](double value) {
        seen.push_back(value);
        blocked.stop();
    });
    for (const double degrees : {1.0, 2.0})
        send(blocked, datagram(degrees));
    ASSERT_TRUE(test::waitUntil([&] { return !seen.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_FALSE(blocked.isRunning());
    EXPECT_EQ(blocked.pitch(), std::nullopt);
    EXPECT_TRUE(other.bind(QHostAddress::LocalHost, port));
    blocked.stop(); // not running: nothing to do
}

TEST_F(HeadTrackerTests, onlyDatagramsFromSocketsOfOurUserCountEachOtherSenderLoggedOnce) {
    // The kernel's table as a fake: our sender belongs to user 4321, a second one to us.
    const QString table = home.path() + QStringLiteral("/proc/net/udp");
    QUdpSocket ours;
    ASSERT_TRUE(ours.bind(QHostAddress::LocalHost, 0));
    ASSERT_TRUE(test::writeFile(table, "  sl  local_address\n" + udpLine(sender.localPort(), 4321) +
                                           udpLine(ours.localPort(), ::geteuid())));
    HeadphoneMotion guarded(0, home.path() + QStringLiteral("/proc"));
    QObject::connect(&guarded, &HeadphoneMotion::pitchReceived,
                     [&](double value) { seen.push_back(value); });
    guarded.start();
    for (const double degrees : {1.0, 2.0, 3.0})
        send(guarded, datagram(degrees));
    send(guarded, datagram(9.0), &ours);
    ASSERT_TRUE(test::waitUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen, std::vector<double>{9.0 * pi / 180.0});
    EXPECT_EQ(test::loggedErrors().size(), 1);

    // The port changes hands: once the owners are read again, it counts, and nothing is logged.
    ASSERT_TRUE(
        test::writeFile(table, "  sl  local_address\n" + udpLine(sender.localPort(), ::geteuid())));
    EXPECT_TRUE(test::waitUntil([&] {
        send(guarded, datagram(4.0));
        return seen.size() > 1;
    }));
    EXPECT_EQ(test::loggedErrors().size(), 1);
}

} // namespace
} // namespace tisko
