// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

namespace tisko {

// A place that lists the EDID blocks of the connected displays.
class EdidSource {
public:
    virtual ~EdidSource() = default;
    // One blob per connected output that has an EDID; absent when the source cannot answer.
    virtual std::optional<std::vector<QByteArray>> connectedEdids() = 0;
};

} // namespace tisko
