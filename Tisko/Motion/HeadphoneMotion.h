#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QNetworkDatagram;
class QUdpSocket;

namespace tisko {

// The head's pitch from a head tracker sending opentrack's "UDP over network" datagrams
// (six little-endian doubles: x, y, z in cm; yaw, pitch, roll in degrees) to 127.0.0.1.
// The tracker counts as connected while datagrams arrive and as disconnected after two
// seconds without one. Only datagrams sent from sockets of the same user are taken: on a
// shared machine nobody else may make Tisko open the camera. Lives on the main thread; every
// callback runs there.
class HeadphoneMotion : public QObject {
    Q_OBJECT
public:
    // The tracker's default port.
    static constexpr quint16 defaultPort = 4242;
    // Silence after which the tracker counts as disconnected.
    static constexpr int silenceMs = 2000;
    // How long the owner of a sender's port, once found, is trusted without looking again.
    static constexpr int ownerRecheckMs = 1000;

    // Listens on the given loopback port once started (0 picks a free port, for tests). The
    // owners of senders' ports are read from `procRoot`/net/udp and udp6.
    explicit HeadphoneMotion(quint16 port = defaultPort,
                             QString procRoot = QStringLiteral("/proc"), QObject* parent = nullptr);
    ~HeadphoneMotion() override;

    // Begins listening; does nothing when already running, and logs one line when the port
    // cannot be bound.
    void start();
    // Stops listening and forgets the pitch; does nothing when not running.
    void stop();

    // True between a successful start() and stop().
    bool isRunning() const { return m_running; }
    // The latest pitch in radians; absent before the first reading, after stop() and after a
    // disconnect.
    std::optional<double> pitch() const { return m_pitch; }
    // True while datagrams are arriving.
    bool isConnected() const { return m_connected; }
    // The port actually listened on while running, 0 otherwise.
    quint16 boundPort() const;
    // True when the port is ours or could be bound now (the motion permission on Linux).
    bool isDeviceMotionAvailable() const;

    // Called with each new pitch, in radians.
    void setOnPitch(std::function<void(double)> onPitch) { m_onPitch = std::move(onPitch); }
    // Called with true when the tracker connects and false when it goes silent; the pitch is
    // already cleared when false arrives.
    void setOnConnectionChange(std::function<void(bool)> onConnectionChange) {
        m_onConnectionChange = std::move(onConnectionChange);
    }

private:
    void readDatagrams();
    bool fromOurUser(const QNetworkDatagram& datagram);
    void handleDatagram(const QByteArray& datagram);
    void connectionChanged(bool connected);

    quint16 m_port;
    QString m_procRoot;
    bool m_busyLogged = false;
    quint16 m_trustedPort = 0;
    QElapsedTimer m_trustedSince;
    QSet<quint16> m_refusedPorts;
    bool m_running = false;
    bool m_connected = false;
    std::optional<double> m_pitch;
    std::function<void(double)> m_onPitch;
    std::function<void(bool)> m_onConnectionChange;
    std::unique_ptr<QUdpSocket> m_socket;
    QTimer m_silence;
};

} // namespace tisko
