// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace tisko {

// Whether Tisko opens when the user logs in.
class LoginSwitch {
public:
    virtual ~LoginSwitch() = default;
    virtual bool isEnabled() const = 0;
    // A failed change is logged; isEnabled() then tells what the system has.
    virtual void setEnabled(bool enabled) = 0;
};

} // namespace tisko
