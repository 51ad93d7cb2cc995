// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/UdpTable.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <optional>
#include <utility>

namespace tisko {

namespace {

// The address of a "local_address" field ("0100007F:1092"): each 32-bit word of the address
// is printed as a number in the machine's byte order, so storing the number back gives the
// address's bytes.
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
    const QHostAddress address =
        colon == 8 ? QHostAddress(qFromBigEndian<quint32>(bytes)) : QHostAddress(bytes);
    return std::pair{address, static_cast<quint16>(port)};
}

} // namespace

QList<UdpTable::Socket> UdpTable::read(const QString& path) {
    // "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout
    // inode"
    QList<Socket> sockets;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sockets;
    file.readLine(); // the column names
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().simplified().split(' ');
        if (fields.size() < 10)
            continue;
        const auto local = localAddress(fields[1]);
        bool ok = false;
        const uint uid = fields[7].toUInt(&ok);
        if (ok && local)
            sockets.append({local->first, local->second, uid, fields[9]});
    }
    return sockets;
}

} // namespace tisko
