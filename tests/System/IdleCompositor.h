// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QTemporaryDir>

#include <memory>

namespace tisko::test {

// A small Wayland server on its own thread and private socket, offering a seat and the
// idle notifier (ext-idle-notify-v1) the way a compositor does; the test says when the
// seat turns idle or active again.
class IdleCompositor {
public:
    IdleCompositor();
    ~IdleCompositor();
    IdleCompositor(const IdleCompositor&) = delete;
    IdleCompositor& operator=(const IdleCompositor&) = delete;

    // The socket's path, for wl_display_connect(); empty when the server could not start.
    QByteArray socket() const { return m_path; }
    // Tells every client's idle notification that the seat is idle, or active again.
    void idle() { post('i'); }
    void resume() { post('r'); }
    // Ends the server: its clients lose their connection.
    void stop() { post('s'); }

    // The server's insides (public only for its protocol handlers).
    struct Server;

private:
    void post(char command);

    QTemporaryDir m_dir;
    QByteArray m_path;
    std::unique_ptr<Server> m_server;
};

} // namespace tisko::test
