// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>

namespace tisko {

// The kernel's table of UDP sockets (/proc/net/udp or udp6): who holds which local port.
class UdpTable {
public:
    // One socket of the table.
    struct Socket {
        QHostAddress address; // the local address it is bound to
        quint16 port = 0;     // the local port
        uint uid = 0;         // its owner
        QByteArray inode;     // the socket's inode, as in "socket:[inode]"
    };

    UdpTable() = delete;

    // The sockets listed in the table at `path`; empty when it cannot be read. Lines that
    // cannot be understood are left out.
    static QList<Socket> read(const QString& path);
};

} // namespace tisko
