// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/WaylandIdle.h"

#include "ext-idle-notify-v1-client-protocol.h"

#include <QElapsedTimer>
#include <QSocketNotifier>

#include <wayland-client.h>

#include <cstring>
#include <poll.h>

namespace tisko {

namespace {

// The compositor calls us idle after this long without input; the idle time is then counted
// from the moment it said so, plus this.
constexpr std::uint32_t idleAfterMs = 5000;

} // namespace

struct WaylandIdle::Connection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    ext_idle_notifier_v1* notifier = nullptr;
    ext_idle_notification_v1* notification = nullptr;
    std::unique_ptr<QSocketNotifier> reader;
    // Running while the compositor calls the seat idle.
    QElapsedTimer idleSince;

    ~Connection() {
        reader.reset();
        if (notification)
            ext_idle_notification_v1_destroy(notification);
        if (notifier)
            ext_idle_notifier_v1_destroy(notifier);
        if (seat)
            wl_seat_destroy(seat);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }

    bool broken() const { return wl_display_get_error(display) != 0; }

    // Reads and handles what the compositor sent, waiting at most `waitMs` for it.
    void read(int waitMs) {
        while (wl_display_prepare_read(display) != 0)
            wl_display_dispatch_pending(display);
        wl_display_flush(display);
        pollfd ready{wl_display_get_fd(display), POLLIN, 0};
        if (::poll(&ready, 1, waitMs) > 0 && (ready.revents & POLLIN) != 0)
            wl_display_read_events(display);
        else
            wl_display_cancel_read(display);
        wl_display_dispatch_pending(display);
    }

    // A round trip with an end: true once the compositor has handled all that was sent.
    bool roundTrip(std::chrono::milliseconds limit) {
        bool done = false;
        static const wl_callback_listener listener{
            [](void* data, wl_callback* callback, std::uint32_t) {
                *static_cast<bool*>(data) = true;
                wl_callback_destroy(callback);
            }};
        wl_callback* callback = wl_display_sync(display);
        wl_callback_add_listener(callback, &listener, &done);
        QElapsedTimer clock;
        clock.start();
        while (!done && !broken() && clock.elapsed() < limit.count())
            read(int(limit.count() - clock.elapsed()));
        if (!done)
            wl_callback_destroy(callback);
        return done;
    }
};

namespace {

void announce(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t) {
    auto* c = static_cast<WaylandIdle::Connection*>(data);
    if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0 && !c->notifier)
        c->notifier = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !c->seat)
        c->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void withdraw(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener{announce, withdraw};

const ext_idle_notification_v1_listener idleListener{
    [](void* data, ext_idle_notification_v1*) {
        static_cast<WaylandIdle::Connection*>(data)->idleSince.start();
    },
    [](void* data, ext_idle_notification_v1*) {
        static_cast<WaylandIdle::Connection*>(data)->idleSince.invalidate();
    }};

} // namespace

WaylandIdle::WaylandIdle(std::unique_ptr<Connection> connection)
    : m_connection(std::move(connection)) {}

WaylandIdle::~WaylandIdle() = default;

std::unique_ptr<WaylandIdle> WaylandIdle::connect(const QByteArray& display,
                                                  std::chrono::milliseconds limit) {
    if (display.isEmpty() && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return nullptr; // libwayland would try "wayland-0" on its own
    auto c = std::make_unique<Connection>();
    c->display = wl_display_connect(display.isEmpty() ? nullptr : display.constData());
    if (!c->display)
        return nullptr;
    c->registry = wl_display_get_registry(c->display);
    wl_registry_add_listener(c->registry, &registryListener, c.get());
    if (!c->roundTrip(limit) || !c->notifier || !c->seat)
        return nullptr;
    c->notification = ext_idle_notifier_v1_get_idle_notification(c->notifier, idleAfterMs, c->seat);
    ext_idle_notification_v1_add_listener(c->notification, &idleListener, c.get());
    if (!c->roundTrip(limit))
        return nullptr;
    Connection* raw = c.get();
    c->reader =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(c->display), QSocketNotifier::Read);
    QObject::connect(c->reader.get(), &QSocketNotifier::activated, c->reader.get(), [raw] {
        raw->read(0);
        if (raw->broken())
            raw->reader->setEnabled(false);
    });
    return std::unique_ptr<WaylandIdle>(new WaylandIdle(std::move(c)));
}

std::optional<double> WaylandIdle::idleSeconds() {
    if (m_connection->broken())
        return std::nullopt;
    m_connection->read(0);
    if (m_connection->broken())
        return std::nullopt;
    if (!m_connection->idleSince.isValid())
        return 0.0;
    return static_cast<double>(m_connection->idleSince.elapsed() + idleAfterMs) / 1000.0;
}

} // namespace tisko
