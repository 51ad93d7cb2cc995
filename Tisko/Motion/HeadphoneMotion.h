// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Support/UdpTable.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMultiHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class QNetworkDatagram;
class QUdpSocket;

namespace tisko {

// The head's pitch from a head tracker sending opentrack's "UDP over network" datagrams
// (six little-endian doubles: x, y, z in cm; yaw, pitch, roll in degrees) to 127.0.0.1.
// The tracker counts as connected while datagrams arrive and as disconnected after two
// seconds without one. Only datagrams sent from sockets of the same user are taken: on a
// shared machine nobody else may make Tisko open the camera. Another user's flood costs
// little: the owners are read at most ten times a second, each port at most once a second,
// and refusals are logged once and then counted once a minute. Lives on the main thread;
// every signal comes from there.
class HeadphoneMotion : public QObject {
    Q_OBJECT
public:
    // The tracker's default port.
    static constexpr quint16 defaultPort = 4242;
    // Silence after which the tracker counts as disconnected.
    static constexpr int silenceMs = 2000;
    // How long the owners of senders' ports, once read, are trusted without looking again.
    static constexpr int ownerRecheckMs = 1000;
    // The shortest time between two readings of the owners, however many ports send.
    static constexpr int ownerReadGapMs = 100;
    // How often at most a line counts the datagrams refused since the last line.
    static constexpr int refusalReportMs = 60 * 1000;

    // Listens on the given loopback port once started (0 picks a free port, for tests). The
    // owners of senders' ports are read from `procRoot`/net/udp and udp6.
    explicit HeadphoneMotion(quint16 port = defaultPort, QString procRoot = QStringLiteral("/proc"),
                             QObject* parent = nullptr);
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
    // True when the port is ours or could be bound now (the motion permission on Linux). A
    // port another program holds is logged once, here or by start().
    bool isDeviceMotionAvailable() const;

Q_SIGNALS:
    // Each new pitch, in radians.
    void pitchReceived(double radians);
    // True when the tracker connects and false when it goes silent; the pitch is already
    // cleared when false arrives.
    void connectedChanged(bool connected);

private:
    bool bound(QUdpSocket& socket) const;
    void readDatagrams();
    bool fromOurUser(const QNetworkDatagram& datagram);
    bool ownersWanted(quint16 port, qint64 now);
    void refused(quint16 port, bool unknownSender);
    void handleDatagram(const QByteArray& datagram);
    void connectionChanged(bool connected);

    quint16 m_port;
    QString m_procRoot;
    mutable bool m_busyLogged = false;
    QElapsedTimer m_clock;
    // The owners of every UDP socket by port, as read at m_ownersReadAt.
    QMultiHash<quint16, UdpTable::Socket> m_owners;
    std::optional<qint64> m_ownersReadAt;
    // When each port unknown to the owners last made them be read again.
    QHash<quint16, qint64> m_lookups;
    int m_unreportedRefusals = 0;
    QTimer m_refusalReport;
    bool m_running = false;
    bool m_connected = false;
    std::optional<double> m_pitch;
    std::unique_ptr<QUdpSocket> m_socket;
    QTimer m_silence;
};

} // namespace tisko
