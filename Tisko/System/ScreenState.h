// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>

namespace tisko {

// Whether the login session's screen is locked.
class ScreenState {
public:
    virtual ~ScreenState() = default;
    // True when the session reports its screen as locked; false when nobody can tell.
    virtual bool isLocked() = 0;

    // The desktop's implementation, on the process's system and session buses.
    static std::unique_ptr<ScreenState> create();
};

} // namespace tisko
