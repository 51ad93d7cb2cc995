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

    void send(const QByteArray& bytes) {
        ASSERT_NE(motion.boundPort(), 0);
        ASSERT_EQ(m_sender.writeDatagram(bytes, QHostAddress::LocalHost, motion.boundPort()),
                  bytes.size());
    }

    // Each change of connection, and the pitch when it was told.
    using Connection = std::pair<bool, std::optional<double>>;
    test::TempHome home;
    HeadphoneMotion motion{0};
    std::vector<double> pitches;
    std::vector<Connection> connections;
    QUdpSocket m_sender;
};

TEST_F(HeadTrackerTests, datagramsGivePitchInRadiansGarbageNothingAndSilenceDisconnects) {
    motion.start();
    const quint16 port = motion.boundPort();
    motion.start(); // a second start keeps the socket and logs nothing
    EXPECT_EQ(motion.boundPort(), port);
    EXPECT_EQ(test::loggedMessages(),
              QStringList{QStringLiteral("Seguidor de cabeza: escuchando")});

    send(datagram(20.0).left(40));
    send(datagram(20.0) + QByteArray(8, '\0'));
    send(datagram(std::numeric_limits<double>::quiet_NaN()));
    send(datagram(std::numeric_limits<double>::infinity()));
    send(datagram(-10.0));
    send(datagram(5.5));
    ASSERT_TRUE(waitUntil([&] { return pitches.size() == 2; }));
    EXPECT_DOUBLE_EQ(pitches[0], radians(-10.0));
    EXPECT_DOUBLE_EQ(pitches[1], radians(5.5));
    EXPECT_EQ(motion.pitch(), std::optional<double>(radians(5.5)));
    ASSERT_EQ(connections.size(), 1u) << "garbage alone does not count as a tracker";
    EXPECT_TRUE(connections[0].first);

    // Silence disconnects, with the pitch already cleared; the next datagram reconnects.
    ASSERT_TRUE(waitUntil([&] { return connections.size() == 2; },
                          std::chrono::milliseconds(HeadphoneMotion::silenceMs * 2)));
    EXPECT_FALSE(connections[1].first);
    EXPECT_EQ(connections[1].second, std::nullopt);
    EXPECT_TRUE(motion.isRunning());
    send(datagram(4.0));
    ASSERT_TRUE(waitUntil([&] { return connections.size() == 3; }));
    EXPECT_TRUE(connections[2].first);
}

TEST_F(HeadTrackerTests, aTakenPortIsToldOnceAndStopFreesItEvenFromACallbackMidBatch) {
    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::LocalHost, 0));
    const quint16 port = other.localPort();
    HeadphoneMotion blocked(port);
    EXPECT_FALSE(blocked.isDeviceMotionAvailable());
    blocked.start();
    blocked.start();
    EXPECT_FALSE(blocked.isRunning());
    ASSERT_EQ(test::loggedErrors().size(), 1);
    EXPECT_TRUE(test::loggedErrors()[0].startsWith(
        QStringLiteral("Seguidor de cabeza: no puedo escuchar en el puerto %1").arg(port)));
    other.close();
    blocked.start();
    EXPECT_TRUE(blocked.isRunning());
    EXPECT_TRUE(blocked.isDeviceMotionAvailable());

    // A callback that stops it ends the batch, and the port is free again.
    std::vector<double> seen;
    blocked.setOnPitch([&](double value) {
        seen.push_back(value);
        blocked.stop();
    });
    for (const double degrees : {1.0, 2.0})
        m_sender.writeDatagram(datagram(degrees), QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_FALSE(blocked.isRunning());
    EXPECT_EQ(blocked.pitch(), std::nullopt);
    EXPECT_TRUE(other.bind(QHostAddress::LocalHost, port));
    blocked.stop(); // not running: nothing to do
}

TEST_F(HeadTrackerTests, onlyDatagramsFromSocketsOfOurUserCountEachOtherSenderLoggedOnce) {
    // The kernel's table as a fake: our sender belongs to user 4321, a second one to us.
    const QString proc = home.path() + QStringLiteral("/proc");
    QUdpSocket ours;
    ASSERT_TRUE(ours.bind(QHostAddress::LocalHost, 0));
    ASSERT_TRUE(test::writeFile(proc + QStringLiteral("/net/udp"),
                                "  sl  local_address\n" + udpLine(m_sender.localPort(), 4321) +
                                    udpLine(ours.localPort(), ::geteuid())));
    HeadphoneMotion guarded(0, proc);
    std::vector<double> seen;
    guarded.setOnPitch([&](double value) { seen.push_back(value); });
    guarded.start();
    for (const double degrees : {1.0, 2.0, 3.0})
        m_sender.writeDatagram(datagram(degrees), QHostAddress::LocalHost, guarded.boundPort());
    ASSERT_EQ(ours.writeDatagram(datagram(9.0), QHostAddress::LocalHost, guarded.boundPort()), 48);
    ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen, std::vector<double>{radians(9.0)});
    EXPECT_EQ(test::loggedErrors(),
              QStringList{QStringLiteral("Seguidor de cabeza: descarto los datos del puerto %1, "
                                         "de otro usuario")
                              .arg(m_sender.localPort())});

    // The port changes hands: once the owners are read again, it counts, and nothing is logged.
    ASSERT_TRUE(
        test::writeFile(proc + QStringLiteral("/net/udp"),
                        "  sl  local_address\n" + udpLine(m_sender.localPort(), ::geteuid())));
    EXPECT_TRUE(waitUntil([&] {
        m_sender.writeDatagram(datagram(4.0), QHostAddress::LocalHost, guarded.boundPort());
        return seen.size() > 1;
    }));
    EXPECT_EQ(test::loggedErrors().size(), 1);
}

} // namespace
} // namespace tisko
