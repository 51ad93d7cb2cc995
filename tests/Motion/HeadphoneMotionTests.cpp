#include <gtest/gtest.h>

#include "TempHome.h"

#include "Tisko/Motion/HeadphoneMotion.h"
#include "Tisko/Support/Log.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QThread>
#include <QUdpSocket>
#include <QtEndian>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace tisko {
namespace {

// A tracker datagram: x, y, z, yaw, pitch, roll as little-endian doubles.
QByteArray datagram(double pitchDegrees, double yaw = 12.0) {
    const double fields[6] = {1.5, -2.0, 40.0, yaw, pitchDegrees, 3.0};
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
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "tisko-motion-tests";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr)
            static QCoreApplication app(argc, argv);
    }
    void SetUp() override {
        Log::restartForTesting();
        motion.setOnPitch([this](double value) { pitches.push_back(value); });
        motion.setOnConnectionChange([this](bool connected) {
            // The pitch is already cleared when a disconnect is told.
            connections.push_back({connected, motion.pitch()});
        });
    }
    void TearDown() override { Log::restartForTesting(); }

    void send(const QByteArray& bytes) {
        ASSERT_NE(motion.boundPort(), 0);
        ASSERT_EQ(m_sender.writeDatagram(bytes, QHostAddress::LocalHost, motion.boundPort()), bytes.size());
    }
    // Runs the event loop until the condition holds or the time is up.
    static bool runUntil(const std::function<bool()>& condition, int limitMs) {
        QElapsedTimer clock;
        clock.start();
        while (!condition() && clock.elapsed() < limitMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(2);
        }
        return condition();
    }
    static QStringList logLines() {
        Log::flush();
        QFile file(Log::filePath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
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

TEST_F(HeadTracker, startTwiceListensOnceAndLogsOnce) {
    motion.start();
    const quint16 port = motion.boundPort();
    motion.start();
    EXPECT_TRUE(motion.isRunning());
    EXPECT_EQ(motion.boundPort(), port);
    const QStringList lines = logLines();
    EXPECT_EQ(lines.filter(QStringLiteral("AirPods: escuchando el movimiento de la cabeza")).size(), 1)
        << lines.join(u'\n').toStdString();
}

TEST_F(HeadTracker, datagramsGivePitchInRadiansAndConnectOnTheFirst) {
    motion.start();
    send(datagram(-10.0));
    send(datagram(5.5));
    ASSERT_TRUE(runUntil([&] { return pitches.size() == 2; }, 3000));
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
    ASSERT_TRUE(runUntil([&] { return !pitches.empty(); }, 3000));
    runUntil([] { return false; }, 100);
    ASSERT_EQ(pitches.size(), 1u);
    EXPECT_DOUBLE_EQ(pitches[0], radians(7.0));
    EXPECT_EQ(connections.size(), 1u) << "garbage alone does not count as a tracker";
}

TEST_F(HeadTracker, twoSilentSecondsDisconnectWithPitchAlreadyCleared) {
    motion.start();
    send(datagram(3.0));
    ASSERT_TRUE(runUntil([&] { return !pitches.empty(); }, 3000));
    // Still connected just before the two seconds are up.
    runUntil([] { return false; }, HeadphoneMotion::kSilenceMs - 500);
    EXPECT_EQ(connections.size(), 1u);
    ASSERT_TRUE(runUntil([&] { return connections.size() == 2; }, 3000));
    EXPECT_FALSE(connections[1].connected);
    EXPECT_EQ(connections[1].pitchAtCall, std::nullopt);
    EXPECT_EQ(motion.pitch(), std::nullopt);
    EXPECT_TRUE(motion.isRunning());

    send(datagram(4.0));
    ASSERT_TRUE(runUntil([&] { return connections.size() == 3; }, 3000));
    EXPECT_TRUE(connections[2].connected);
}

TEST_F(HeadTracker, nothingArrivesAfterStop) {
    motion.start();
    const quint16 port = motion.boundPort();
    send(datagram(3.0));
    ASSERT_TRUE(runUntil([&] { return !pitches.empty(); }, 3000));
    motion.stop();
    EXPECT_FALSE(motion.isRunning());
    EXPECT_EQ(motion.pitch(), std::nullopt);

    QUdpSocket late;
    late.writeDatagram(datagram(9.0), QHostAddress::LocalHost, port);
    runUntil([] { return false; }, HeadphoneMotion::kSilenceMs + 500);
    EXPECT_EQ(pitches.size(), 1u);
    EXPECT_EQ(motion.pitch(), std::nullopt);
    EXPECT_EQ(connections.size(), 1u) << "no callback of any kind once stopped";
}

TEST_F(HeadTracker, stopWhenNotRunningChangesNothing) {
    motion.stop();
    EXPECT_FALSE(motion.isRunning());
    EXPECT_EQ(motion.pitch(), std::nullopt);
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(HeadTracker, portTakenByAnotherProgramLeavesItNotRunningSilently) {
    QUdpSocket other;
    ASSERT_TRUE(other.bind(QHostAddress::LocalHost, 0));
    HeadphoneMotion blocked(other.localPort());
    EXPECT_FALSE(blocked.isDeviceMotionAvailable());
    blocked.start();
    EXPECT_FALSE(blocked.isRunning());
    EXPECT_TRUE(logLines().isEmpty());

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
    ASSERT_TRUE(runUntil([&] { return !pitches.empty(); }, 3000));
    runUntil([] { return false; }, 200);
    EXPECT_EQ(pitches.size(), 1u);
    EXPECT_EQ(motion.pitch(), std::nullopt);
}

} // namespace
} // namespace tisko
