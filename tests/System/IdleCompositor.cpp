// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "IdleCompositor.h"

#include "ext-idle-notify-v1-server-protocol.h"

#include <wayland-server.h>

#include <QFile>

#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tisko::test {

struct IdleCompositor::Server {
    wl_display* display = wl_display_create();
    // The test's commands, one byte each, read on the server's thread.
    int commands[2] = {-1, -1};
    wl_event_source* commandSource = nullptr;
    std::vector<wl_resource*> notifications;
    std::thread thread;

    void handleCommands() {
        char command = 0;
        while (::read(commands[0], &command, 1) == 1) {
            if (command == 's') {
                wl_display_destroy_clients(display);
                wl_display_terminate(display);
            }
            for (wl_resource* notification : notifications) {
                if (command == 'i')
                    ext_idle_notification_v1_send_idled(notification);
                else
                    ext_idle_notification_v1_send_resumed(notification);
            }
        }
        wl_display_flush_clients(display);
    }
};

namespace {

using Server = IdleCompositor::Server;

Server* serverOf(wl_resource* resource) {
    return static_cast<Server*>(wl_resource_get_user_data(resource));
}

void destroyResource(wl_client*, wl_resource* resource) {
    wl_resource_destroy(resource);
}

const struct ext_idle_notification_v1_interface notificationRequests { destroyResource };

void getNotification(wl_client* client, wl_resource* notifier, std::uint32_t id, std::uint32_t,
                     wl_resource*) {
    Server* server = serverOf(notifier);
    wl_resource* notification = wl_resource_create(client, &ext_idle_notification_v1_interface,
                                                   wl_resource_get_version(notifier), id);
    wl_resource_set_implementation(
        notification, &notificationRequests, server,
        [](wl_resource* gone) { std::erase(serverOf(gone)->notifications, gone); });
    server->notifications.push_back(notification);
}

const struct ext_idle_notifier_v1_interface notifierRequests { destroyResource, getNotification };

void bindNotifier(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    wl_resource* notifier =
        wl_resource_create(client, &ext_idle_notifier_v1_interface, int(version), id);
    wl_resource_set_implementation(notifier, &notifierRequests, data, nullptr);
}

void bindSeat(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
    wl_resource* seat = wl_resource_create(client, &wl_seat_interface, int(version), id);
    wl_resource_set_implementation(seat, nullptr, nullptr, nullptr);
}

} // namespace

IdleCompositor::IdleCompositor()
    : m_server(std::make_unique<Server>()) {
    Server& s = *m_server;
    // The server names its socket inside the runtime folder.
    const bool hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
    const bool listening = m_dir.isValid() && wl_display_add_socket(s.display, "wayland-test") == 0;
    if (hadRuntime)
        qputenv("XDG_RUNTIME_DIR", runtime);
    else
        qunsetenv("XDG_RUNTIME_DIR");
    if (!listening || ::pipe2(s.commands, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_path = QFile::encodeName(m_dir.filePath(QStringLiteral("wayland-test")));
    wl_global_create(s.display, &wl_seat_interface, 1, &s, bindSeat);
    wl_global_create(s.display, &ext_idle_notifier_v1_interface, 1, &s, bindNotifier);
    s.commandSource = wl_event_loop_add_fd(
        wl_display_get_event_loop(s.display), s.commands[0], WL_EVENT_READABLE,
        [](int, std::uint32_t, void* data) {
            static_cast<Server*>(data)->handleCommands();
            return 0;
        },
        &s);
    s.thread = std::thread([&s] { wl_display_run(s.display); });
}

IdleCompositor::~IdleCompositor() {
    if (m_server->thread.joinable()) {
        post('s');
        m_server->thread.join();
    }
    // The loop does not free the sources still added to it.
    if (m_server->commandSource)
        wl_event_source_remove(m_server->commandSource);
    wl_display_destroy(m_server->display);
    for (const int end : m_server->commands)
        if (end >= 0)
            ::close(end);
}

void IdleCompositor::post(char command) {
    [[maybe_unused]] const ssize_t written = ::write(m_server->commands[1], &command, 1);
}

} // namespace tisko::test
