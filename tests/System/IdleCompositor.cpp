// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "IdleCompositor.h"

#include "ext-idle-notify-v1-server-protocol.h"

#include <wayland-server.h>

#include <QFile>

#include <atomic>
#include <mutex>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tisko::test {

namespace {

enum class Command : std::uint64_t { idle = 1, resume = 2, stop = 3 };

} // namespace

struct IdleCompositor::Server {
    wl_display* display = nullptr;
    int wake = -1;
    wl_event_source* wakeSource = nullptr;
    std::mutex lock;
    std::vector<Command> commands;
    std::vector<wl_resource*> notifications;
    std::thread thread;
    QByteArray path;

    void post(Command command) {
        {
            const std::lock_guard guard(lock);
            commands.push_back(command);
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake, &one, sizeof one);
    }

    // On the server's thread.
    void handleCommands() {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(wake, &count, sizeof count);
        std::vector<Command> pending;
        {
            const std::lock_guard guard(lock);
            pending.swap(commands);
        }
        for (const Command command : pending) {
            if (command == Command::stop) {
                wl_display_destroy_clients(display);
                wl_display_terminate(display);
                continue;
            }
            for (wl_resource* notification : notifications) {
                if (command == Command::idle)
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
    s.display = wl_display_create();
    // The server names its socket inside the runtime folder.
    const bool hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
    const bool listening = m_dir.isValid() && wl_display_add_socket(s.display, "wayland-test") == 0;
    if (hadRuntime)
        qputenv("XDG_RUNTIME_DIR", runtime);
    else
        qunsetenv("XDG_RUNTIME_DIR");
    if (!listening)
        return;
    s.path = QFile::encodeName(m_dir.filePath(QStringLiteral("wayland-test")));
    wl_global_create(s.display, &wl_seat_interface, 1, &s, bindSeat);
    wl_global_create(s.display, &ext_idle_notifier_v1_interface, 1, &s, bindNotifier);
    s.wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    s.wakeSource = wl_event_loop_add_fd(
        wl_display_get_event_loop(s.display), s.wake, WL_EVENT_READABLE,
        [](int, std::uint32_t, void* data) {
            static_cast<Server*>(data)->handleCommands();
            return 0;
        },
        &s);
    s.thread = std::thread([&s] { wl_display_run(s.display); });
}

IdleCompositor::~IdleCompositor() {
    if (m_server->thread.joinable()) {
        m_server->post(Command::stop);
        m_server->thread.join();
    }
    // The loop does not free the sources still added to it.
    if (m_server->wakeSource)
        wl_event_source_remove(m_server->wakeSource);
    if (m_server->display)
        wl_display_destroy(m_server->display);
    if (m_server->wake >= 0)
        ::close(m_server->wake);
}

QByteArray IdleCompositor::socket() const {
    return m_server->path;
}

void IdleCompositor::idle() {
    m_server->post(Command::idle);
}

void IdleCompositor::resume() {
    m_server->post(Command::resume);
}

void IdleCompositor::stop() {
    m_server->post(Command::stop);
}

} // namespace tisko::test
