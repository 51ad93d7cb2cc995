#include "Tisko/Motion/HeadphoneMotion.h"

#include "Tisko/Support/Log.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <numbers>

namespace tisko {

namespace {

constexpr qsizetype kDatagramSize = 6 * sizeof(double);
constexpr int kPitchIndex = 4;

// The pitch field of a tracker datagram in degrees; absent for any other size or a value
// that is not a finite number.
std::optional<double> pitchDegrees(const QByteArray& datagram) {
    if (datagram.size() != kDatagramSize)
        return std::nullopt;
    const double degrees = qFromLittleEndian<double>(
        datagram.constData() + kPitchIndex * static_cast<qsizetype>(sizeof(double)));
    if (!std::isfinite(degrees))
        return std::nullopt;
    return degrees;
}

} // namespace

HeadphoneMotion::HeadphoneMotion(quint16 port, QObject* parent)
    : QObject(parent)
    , m_port(port) {
    m_silence.setSingleShot(true);
    m_silence.setInterval(kSilenceMs);
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
    if (!socket->bind(QHostAddress::LocalHost, m_port))
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
}

void HeadphoneMotion::readDatagrams() {
    // The socket goes away in stop(), which a callback may call mid-batch.
    while (m_running && m_socket && m_socket->hasPendingDatagrams())
        handleDatagram(m_socket->receiveDatagram().data());
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
