// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

#include <chrono>
#include <memory>
#include <optional>

namespace tisko {

// The compositor's own idle notification (ext-idle-notify-v1) over Tisko's own Wayland
// connection, which sees input to every window, Wayland or X11 alike. The connection is
// read as its events arrive (main thread), so the moment input stopped is known to a
// second or so.
class WaylandIdle {
public:
    ~WaylandIdle();
    WaylandIdle(const WaylandIdle&) = delete;
    WaylandIdle& operator=(const WaylandIdle&) = delete;

    // Connects to the named compositor ($WAYLAND_DISPLAY when empty) and subscribes; nothing
    // when there is no compositor, it offers no idle notification or no seat, or it does not
    // answer within `limit`.
    static std::unique_ptr<WaylandIdle>
    connect(const QByteArray& display = {},
            std::chrono::milliseconds limit = std::chrono::milliseconds(1000));

    // Seconds since the last input; nothing once the connection is lost.
    std::optional<double> idleSeconds();

    // The connection's insides (public only for its event handlers).
    struct Connection;

private:
    explicit WaylandIdle(std::unique_ptr<Connection> connection);
    std::unique_ptr<Connection> m_connection;
};

} // namespace tisko
