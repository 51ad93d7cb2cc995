#include "Tisko/Motion/HeadphoneMotion.h"

#include "Tisko/Support/Log.h"

#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include <unistd.h>

namespace tisko {

namespace {

constexpr qsizetype datagramSize = 6 * sizeof(double);
constexpr int pitchIndex = 4;
// Ports refused and remembered, so each sender is logged once; the set is forgotten past this.
constexpr qsizetype refusedPortsKept = 256;

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

// The address of a /proc/net/udp or udp6 "local_address" field ("0100007F:1092"): each
// 32-bit word of the address is printed as a number in the machine's byte order, so storing
// the number back gives the address's bytes.
std::optional<std::pair<QHostAddress, quint16>> localAddress(const QByteArray& field) {
    const qsizetype colon = field.indexOf(':');
    if (colon != 8 && colon != 32)
        return std::nullopt;
    bool ok = false;
    const uint port = field.mid(colon + 1).toUInt(&ok, 16);
    if (!ok || port > 0xFFFF)
        return std::nullopt;
    quint8 bytes[16] = {};
    for (qsizetype i = 0; i < colon / 8; ++i) {
        const quint32 word = field.mid(i * 8, 8).toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        std::memcpy(bytes + i * 4, &word, sizeof word);
    }
    const QHostAddress address = colon == 8 ? QHostAddress(qFromBigEndian<quint32>(bytes))
                                            : QHostAddress(bytes);
    return std::pair{address, static_cast<quint16>(port)};
}

// The owners of every socket in the kernel's UDP tables that could have sent from `address`
// and `port`: bound to that port on that address, its IPv4-mapped form, or any address.
QList<uint> ownersOf(const QString& procRoot, const QHostAddress& address, quint16 port) {
    QList<uint> owners;
    for (const char* table : {"/net/udp", "/net/udp6"}) {
        QFile file(procRoot + QLatin1String(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        file.readLine(); // the column names
        while (!file.atEnd()) {
            const QList<QByteArray> fields = file.readLine().simplified().split(' ');
            if (fields.size() < 8)
                continue;
            const auto local = localAddress(fields[1]);
            bool ok = false;
            const uint uid = fields[7].toUInt(&ok);
            if (!ok || !local || local->second != port)
                continue;
            const QHostAddress& bound = local->first;
            if (bound.isEqual(address, QHostAddress::TolerantConversion) ||
                bound == QHostAddress(QHostAddress::AnyIPv4) ||
                bound == QHostAddress(QHostAddress::AnyIPv6))
                owners.append(uid);
        }
    }
    return owners;
}

} // namespace

HeadphoneMotion::HeadphoneMotion(quint16 port, QString procRoot, QObject* parent)
    : QObject(parent)
    , m_port(port)
    , m_procRoot(std::move(procRoot)) {
    m_silence.setSingleShot(true);
    m_silence.setInterval(silenceMs);
    connect(&m_silence, &QTimer::timeout, this, [this] { connectionChanged(false); });
}

HeadphoneMotion::~HeadphoneMotion() = default;

quint16 HeadphoneMotion::boundPort() const {
    return m_socket ? m_socket->localPort() : 0;
}

bool HeadphoneMotion::isDeviceMotionAvailable() const {
    if (m_socket)
        return true;
    QUdpSocket probe;
    return probe.bind(QHostAddress::LocalHost, m_port);
}

void HeadphoneMotion::start() {
    if (m_running)
        return;
    auto socket = std::make_unique<QUdpSocket>();
    if (!socket->bind(QHostAddress::LocalHost, m_port)) {
        if (!m_busyLogged)
            Log::error(QStringLiteral("Seguidor de cabeza: no puedo escuchar en el puerto %1: %2")
                           .arg(m_port)
                           .arg(socket->errorString()));
        m_busyLogged = true;
        return;
    }
    m_busyLogged = false;
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
    m_trustedPort = 0;
}

void HeadphoneMotion::readDatagrams() {
    // The socket goes away in stop(), which a callback may call mid-batch.
    while (m_running && m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (fromOurUser(datagram))
            handleDatagram(datagram.data());
    }
}

bool HeadphoneMotion::fromOurUser(const QNetworkDatagram& datagram) {
    const auto port = static_cast<quint16>(datagram.senderPort());
    // A tracker sends from one socket many times a second: its owner is looked up again
    // only when the port changes or after a while, in case the socket changed hands.
    if (port == m_trustedPort && !m_trustedSince.hasExpired(ownerRecheckMs))
        return true;
    const QList<uint> owners = ownersOf(m_procRoot, datagram.senderAddress(), port);
    const uint user = ::geteuid();
    const bool ours = !owners.isEmpty() &&
                      std::all_of(owners.begin(), owners.end(), [&](uint uid) { return uid == user; });
    if (ours) {
        m_trustedPort = port;
        m_trustedSince.start();
        return true;
    }
    if (m_trustedPort == port)
        m_trustedPort = 0;
    if (m_refusedPorts.size() >= refusedPortsKept)
        m_refusedPorts.clear();
    if (!m_refusedPorts.contains(port)) {
        m_refusedPorts.insert(port);
        Log::error(QStringLiteral("Seguidor de cabeza: descarto los datos del puerto %1, %2")
                       .arg(port)
                       .arg(owners.isEmpty() ? QStringLiteral("de un remitente desconocido")
                                             : QStringLiteral("de otro usuario")));
    }
    return false;
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
    if (m_onPitch)
        m_onPitch(radians);
}

void HeadphoneMotion::connectionChanged(bool connected) {
    if (connected == m_connected)
        return;
    m_connected = connected;
    if (!connected)
        m_pitch.reset();
    if (m_onConnectionChange)
        m_onConnectionChange(connected);
}

} // namespace tisko
