// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace tisko {

// The user's own look for a new version.
class UpdateChecks {
public:
    virtual ~UpdateChecks() = default;
    // Whether this copy looks for versions at all (it has a feed).
    virtual bool available() const = 0;
    // Looks now; the answer comes as the update window.
    virtual void checkNow() = 0;
};

} // namespace tisko
