// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringList>

namespace tisko {

// The connected displays that give no EDID, which a display key cannot tell apart.
class DisplayConnectors {
public:
    virtual ~DisplayConnectors() = default;
    // Their connector names ("DP-1").
    virtual QStringList withoutEdid() const = 0;
};

} // namespace tisko
