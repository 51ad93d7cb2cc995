// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Motion/HeadphoneMotion.h"

#include "Tisko/Support/Log.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtEndian>

#include <cmath>
#include <numbers>
#include <utility>

#include <unistd.h>

namespace tisko {

namespace {

constexpr qsizetype datagramSize = 6 * sizeof(double);
constexpr int pitchIndex = 4;

// The pitch field of a tracker datagram in degrees; absent for any other size or a value
// that is not a finite number.
std::optional<double> pitchDegrees(const QByteArray& datagram) {
    if (datagram.size() != datagramSize)
        return std::nullopt;
    const double degrees = qFromLittleEndian<double>(
        datagram.constData() + pitchIndex * static_cast<qsizetype>(sizeof(double)));
    if (!std::isfinite(degrees))
        return std::nullopt;
    return degrees;
}

// Datagrams handled before the event loop gets a turn again.
constexpr int datagramsPerTurn = 256;
// Ports remembered as having made the owners be read; older ones are forgotten first.
constexpr qsizetype lookupsKept = 1024;

} // namespace

HeadphoneMotion::HeadphoneMotion(quint16 port, QString procRoot, QObject* parent)
    : QObject(parent)
    , m_port(port)
    , m_procRoot(std::move(procRoot)) {
    m_silence.setSingleShot(true);
    m_silence.setInterval(silenceMs);
    connect(&m_silence, &QTimer::timeout, this, [this] { connectionChanged(false); });
    m_clock.start();
    m_refusalReport.setSingleShot(true);
    m_refusalReport.setInterval(refusalReportMs);
    connect(&m_refusalReport, &QTimer::timeout, this, [this] {
        if (m_unreportedRefusals == 0)
            return;
        Log::error(QStringLiteral("Seguidor de cabeza: descarto %1 datagramas más de remitentes "
                                  "que no son este usuario")
                       .arg(std::exchange(m_unreportedRefusals, 0)));
        m_refusalReport.start();
    });
}

HeadphoneMotion::~HeadphoneMotion() = default;

quint16 HeadphoneMotion::boundPort() const {
    return m_socket ? m_socket->localPort() : 0;
}

bool HeadphoneMotion::isDeviceMotionAvailable() const {
    if (m_socket)
        return true;
    QUdpSocket probe;
    return bound(probe);
}

bool HeadphoneMotion::bound(QUdpSocket& socket) const {
    if (socket.bind(QHostAddress::LocalHost, m_port)) {
        m_busyLogged = false;
        return true;
    }
    // Told once, whether the probe or start() finds it, until the port is free again.
    if (!m_busyLogged)
        Log::error(QStringLiteral("Seguidor de cabeza: no puedo escuchar en el puerto %1: %2")
                       .arg(m_port)
                       .arg(socket.error() == QAbstractSocket::AddressInUseError
                                ? QStringLiteral("lo usa otro programa")
                                : socket.errorString()));
    m_busyLogged = true;
    return false;
}

void HeadphoneMotion::start() {
    if (m_running)
        return;
    auto socket = std::make_unique<QUdpSocket>();
    if (!bound(*socket))
        return;
    m_running = true;
    m_socket = std::move(socket);
    connect(m_socket.get(), &QUdpSocket::readyRead, this, &HeadphoneMotion::readDatagrams);
    connect(m_socket.get(), &QAbstractSocket::errorOccurred, this, [this] {
        if (m_socket)
            Log::error(QStringLiteral("Seguidor de cabeza: ") + m_socket->errorString());
    });
    Log::info(QStringLiteral("Seguidor de cabeza: escuchando"));
}

void HeadphoneMotion::stop() {
    if (!m_running)
        return;
    m_running = false;
    // The socket may be in the middle of telling us about datagrams: close it now, which frees
    // the port, and delete it once control is back in the event loop.
    m_socket->disconnect(this);
    m_socket->close();
    m_socket.release()->deleteLater();
    m_silence.stop();
    // A later start() announces the tracker again with its first datagram.
    m_connected = false;
    m_pitch.reset();
    m_owners.clear();
    m_ownersReadAt.reset();
    m_lookups.clear();
}

void HeadphoneMotion::readDatagrams() {
    // The socket goes away in stop(), which a callback may call mid-batch. A flood is taken a
    // batch at a time, so the rest of the application gets its turns in between.
    for (int handled = 0; m_running && m_socket && m_socket->hasPendingDatagrams(); ++handled) {
        if (handled == datagramsPerTurn) {
            QMetaObject::invokeMethod(this, &HeadphoneMotion::readDatagrams, Qt::QueuedConnection);
            return;
        }
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (fromOurUser(datagram))
            handleDatagram(datagram.data());
    }
}

bool HeadphoneMotion::ownersWanted(quint16 port, qint64 now) {
    // A tracker sends from one socket many times a second: the owners are read again only
    // after a while, in case the socket changed hands, or for a port they did not list yet,
    // but that not more often than every ownerReadGapMs, nor for one port more than once
    // in ownerRecheckMs.
    if (!m_ownersReadAt || now - *m_ownersReadAt >= ownerRecheckMs)
        return true;
    if (m_owners.contains(port) || now - *m_ownersReadAt < ownerReadGapMs)
        return false;
    if (const auto last = m_lookups.constFind(port);
        last != m_lookups.cend() && now - *last < ownerRecheckMs)
        return false;
    if (m_lookups.size() >= lookupsKept)
        m_lookups.removeIf(
            [&](const auto& entry) { return now - entry.value() >= ownerRecheckMs; });
    if (m_lookups.size() < lookupsKept)
        m_lookups.insert(port, now);
    return true;
}

bool HeadphoneMotion::fromOurUser(const QNetworkDatagram& datagram) {
    const auto port = static_cast<quint16>(datagram.senderPort());
    const qint64 now = m_clock.elapsed();
    if (ownersWanted(port, now)) {
        m_owners.clear();
        for (const char* table : {"/net/udp", "/net/udp6"}) {
            for (const UdpTable::Socket& socket : UdpTable::read(m_procRoot + QLatin1String(table)))
                m_owners.insert(socket.port, socket);
        }
        m_ownersReadAt = now;
    }
    // Every socket that could have sent from that address and port: bound to that port on
    // that address, its IPv4-mapped form, or any address.
    const QHostAddress address = datagram.senderAddress();
    bool any = false;
    bool ours = true;
    for (auto it = m_owners.constFind(port); it != m_owners.cend() && it.key() == port; ++it) {
        const QHostAddress& bound = it->address;
        if (bound.isEqual(address, QHostAddress::TolerantConversion) ||
            bound == QHostAddress(QHostAddress::AnyIPv4) ||
            bound == QHostAddress(QHostAddress::AnyIPv6)) {
            any = true;
            ours = ours && it->uid == ::geteuid();
        }
    }
    if (any && ours)
        return true;
    refused(port, !any);
    return false;
}

void HeadphoneMotion::refused(quint16 port, bool unknownSender) {
    // The first refusal is told at once; the rest are counted and told once a minute.
    if (m_refusalReport.isActive()) {
        ++m_unreportedRefusals;
        return;
    }
    Log::error(QStringLiteral("Seguidor de cabeza: descarto los datos del puerto %1, %2")
                   .arg(port)
                   .arg(unknownSender ? QStringLiteral("de un remitente desconocido")
                                      : QStringLiteral("de otro usuario")));
    m_refusalReport.start();
}

void HeadphoneMotion::handleDatagram(const QByteArray& datagram) {
    const std::optional<double> degrees = pitchDegrees(datagram);
    if (!degrees)
        return;
    m_silence.start();
    if (!m_connected) {
        connectionChanged(true);
        if (!m_running)
            return;
    }
    const double radians = *degrees * std::numbers::pi / 180.0;
    m_pitch = radians;
    Q_EMIT pitchReceived(radians);
}

void HeadphoneMotion::connectionChanged(bool connected) {
    if (connected == m_connected)
        return;
    m_connected = connected;
    if (!connected)
        m_pitch.reset();
    Q_EMIT connectedChanged(connected);
}

} // namespace tisko
