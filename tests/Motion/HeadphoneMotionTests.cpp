#include <gtest/gtest.h>

#include "EventLoop.h"
#include "LoggedLines.h"
#include "TempHome.h"

#include "Tisko/Motion/HeadphoneMotion.h"
#include "Tisko/Support/Log.h"

#include <QHostAddress>
#include <QUdpSocket>
#include <QtEndian>

#include <limits>
#include <numbers>
#include <vector>

namespace tisko {
namespace {

using namespace std::chrono_literals;
using test::spin;
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

class HeadTracker : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        Log::restartForTesting();
        motion.setOnPitch([this](double value) { pitches.push_back(value); });
        motion.setOnConnectionChange([this](bool connected) {
            // The pitch is already cleared when a disconnect is told.
            connections.push_back({connected, motion.pitch()});
        });
    }
    void TearDown() override { Log::restartForTesting(); }

    // Sends to the tracker's port, or to `port` once it has let go of it.
    void send(const QByteArray& bytes, std::optional<quint16> port = std::nullopt) {
        const quint16 to = port.value_or(motion.boundPort());
        ASSERT_NE(to, 0);
        ASSERT_EQ(m_sender.writeDatagram(bytes, QHostAddress::LocalHost, to), bytes.size());
    }

    struct Connection {
        bool connected;
        std::optional<double> pitchAtCall;
    };
    test::TempHome home;
    HeadphoneMotion motion{0};
    std::vector<double> pitches;
    std::vector<Connection> connections;

private:
    QUdpSocket m_sender;
};

TEST_F(HeadTracker, datagramsGivePitchInRadiansAndConnectOnTheFirst) {
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
    EXPECT_TRUE(motion.isConnected());
}

TEST_F(HeadTracker, malformedDatagramsAreIgnored) {
    motion.start();
    send(datagram(20.0).left(40));
    send(datagram(20.0) + QByteArray(8, '\0'));
    send(datagram(std::numeric_limits<double>::quiet_NaN()));
    send(datagram(std::numeric_limits<double>::infinity()));
    send(datagram(-std::numeric_limits<double>::infinity()));
    send(datagram(7.0));
    ASSERT_TRUE(waitUntil([&] { return !pitches.empty(); }));
    spin(100ms);
    ASSERT_EQ(pitches.size(), 1u);
    EXPECT_DOUBLE_EQ(pitches[0], radians(7.0));
    EXPECT_EQ(connections.size(), 1u) << "garbage alone does not count as a tracker";
}

TEST_F(HeadTracker, twoSilentSecondsDisconnectWithPitchAlreadyCleared) {
    motion.start();
    send(datagram(3.0));
    ASSERT_TRUE(waitUntil([&] { return !pitches.empty(); }));
    // Still connected just before the two seconds are up.
    spin(std::chrono::milliseconds(HeadphoneMotion::kSilenceMs - 500));
    EXPECT_EQ(connections.size(), 1u);
    ASSERT_TRUE(waitUntil([&] { return connections.size() == 2; }, 3s));
    EXPECT_FALSE(connections[1].connected);
    EXPECT_EQ(connections[1].pitchAtCall, std::nullopt);
    EXPECT_EQ(motion.pitch(), std::nullopt);
    EXPECT_TRUE(motion.isRunning());

    send(datagram(4.0));
    ASSERT_TRUE(waitUntil([&] { return connections.size() == 3; }));
    EXPECT_TRUE(connections[2].connected);
}

TEST_F(HeadTracker, nothingArrivesAfterStop) {
    motion.stop(); // not running yet: nothing to do
    motion.start();
    const quint16 port = motion.boundPort();
    send(datagram(3.0));
    ASSERT_TRUE(waitUntil([&] { return !pitches.empty(); }));
    motion.stop();
    EXPECT_FALSE(motion.isRunning());
    EXPECT_EQ(motion.pitch(), std::nullopt);

    send(datagram(9.0), port);
    spin(std::chrono::milliseconds(HeadphoneMotion::kSilenceMs + 500));
    EXPECT_EQ(pitches.size(), 1u);
    EXPECT_EQ(motion.pitch(), std::nullopt);
    EXPECT_EQ(connections.size(), 1u) << "no callback of any kind once stopped";
    EXPECT_EQ(test::loggedLines().size(), 1) << "only the start was logged";
}

TEST_F(HeadTracker, portTakenByAnotherProgramLeavesItNotRunningSilently) {
    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::LocalHost, 0));
    HeadphoneMotion blocked(other.localPort());
    EXPECT_FALSE(blocked.isDeviceMotionAvailable());
    blocked.start();
    EXPECT_FALSE(blocked.isRunning());
    EXPECT_TRUE(test::loggedLines().isEmpty());

    other.close();
    EXPECT_TRUE(blocked.isDeviceMotionAvailable());
    blocked.start();
    EXPECT_TRUE(blocked.isRunning());
    EXPECT_TRUE(blocked.isDeviceMotionAvailable());
}

TEST_F(HeadTracker, callbackStoppingMidBatchEndsTheBatch) {
    motion.setOnPitch([this](double value) {
        pitches.push_back(value);
        motion.stop();
    });
    motion.start();
    send(datagram(1.0));
    send(datagram(2.0));
    ASSERT_TRUE(waitUntil([&] { return !pitches.empty(); }));
    spin(200ms);
    EXPECT_EQ(pitches.size(), 1u);
    EXPECT_EQ(motion.pitch(), std::nullopt);
}

} // namespace
} // namespace tisko
