// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/WaylandAttention.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <algorithm>
#include <cstring>
#include <poll.h>
#include <wayland-client.h>
#include <xdg-activation-v1-client-protocol.h>

namespace tisko {

namespace {

// What one request needs, on a queue of its own, let go in reverse order.
struct Asking {
    wl_display* display = nullptr;
    wl_event_queue* queue = nullptr;
    wl_display* wrapper = nullptr;
    wl_registry* registry = nullptr;
    xdg_activation_v1* activation = nullptr;
    xdg_activation_token_v1* token = nullptr;
    QByteArray granted;
    bool synced = false;

    explicit Asking(wl_display* shared)
        : display(shared)
        , queue(wl_display_create_queue(shared)) {
        wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(shared));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    }
    ~Asking() {
        if (token)
            xdg_activation_token_v1_destroy(token);
        if (activation)
            xdg_activation_v1_destroy(activation);
        if (registry)
            wl_registry_destroy(registry);
        wl_proxy_wrapper_destroy(wrapper);
        wl_event_queue_destroy(queue);
    }
    Asking(const Asking&) = delete;
    Asking& operator=(const Asking&) = delete;

    // Reads and handles this queue's events until `done` or the time is up; other queues'
    // events are read for their owners and left for them.
    bool waitFor(const bool& done, std::chrono::milliseconds limit) {
        QElapsedTimer clock;
        clock.start();
        while (!done && wl_display_get_error(display) == 0 && clock.elapsed() < limit.count()) {
            while (wl_display_prepare_read_queue(display, queue) != 0)
                wl_display_dispatch_queue_pending(display, queue);
            if (done) {
                wl_display_cancel_read(display);
                break;
            }
            wl_display_flush(display);
            pollfd ready{wl_display_get_fd(display), POLLIN, 0};
            const int left = int(limit.count() - clock.elapsed());
            if (::poll(&ready, 1, std::max(left, 0)) > 0 && (ready.revents & POLLIN) != 0)
                wl_display_read_events(display);
            else
                wl_display_cancel_read(display);
            wl_display_dispatch_queue_pending(display, queue);
        }
        return done;
    }

    // Every event the compositor sent before now has been handled.
    bool roundTrip(std::chrono::milliseconds limit) {
        synced = false;
        static const wl_callback_listener listener{
            [](void* data, wl_callback* callback, std::uint32_t) {
                static_cast<Asking*>(data)->synced = true;
                wl_callback_destroy(callback);
            }};
        wl_callback* callback = wl_display_sync(wrapper);
        wl_callback_add_listener(callback, &listener, this);
        if (waitFor(synced, limit))
            return true;
        wl_callback_destroy(callback);
        return false;
    }
};

void announce(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t) {
    auto* asking = static_cast<Asking*>(data);
    if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0 && !asking->activation)
        asking->activation = static_cast<xdg_activation_v1*>(
            wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
}

void withdraw(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener{announce, withdraw};

const xdg_activation_token_v1_listener tokenListener{
    [](void* data, xdg_activation_token_v1*, const char* token) {
        static_cast<Asking*>(data)->granted = token;
    }};

} // namespace

bool askForAttention(wl_display* display, wl_surface* surface, std::chrono::milliseconds limit) {
    if (!display || !surface)
        return false;
    QElapsedTimer clock;
    clock.start();
    const auto left = [&] { return std::chrono::milliseconds(limit.count() - clock.elapsed()); };
    Asking asking(display);
    asking.registry = wl_display_get_registry(asking.wrapper);
    wl_registry_add_listener(asking.registry, &registryListener, &asking);
    if (!asking.roundTrip(left()) || !asking.activation)
        return false;
    // A token with no input event behind it: the compositor may not move the focus with it.
    asking.token = xdg_activation_v1_get_activation_token(asking.activation);
    xdg_activation_token_v1_add_listener(asking.token, &tokenListener, &asking);
    xdg_activation_token_v1_set_surface(asking.token, surface);
    xdg_activation_token_v1_commit(asking.token);
    if (!asking.roundTrip(left()) || asking.granted.isEmpty())
        return false;
    xdg_activation_v1_activate(asking.activation, asking.granted.constData(), surface);
    wl_display_flush(display);
    return true;
}

} // namespace tisko
