// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>

struct wl_display;
struct wl_surface;

namespace tisko {

// Asks the compositor to show that a window wants attention (GNOME: "Tisko is ready"): an
// activation token made without a user's action, spent on the window's surface. The
// compositor decides; without a user's action it does not move the focus. Uses the
// application's own connection on a queue of its own, so Qt's events are left alone.
// False when the compositor has no activation protocol or does not answer within `limit`.
bool askForAttention(wl_display* display, wl_surface* surface,
                     std::chrono::milliseconds limit = std::chrono::milliseconds(500));

} // namespace tisko
