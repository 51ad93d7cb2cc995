// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace tisko {

// The identity fields of a display's EDID block, and the persistent display UUID derived
// from them.
struct Edid {
    // Three-letter manufacturer code ("DEL").
    QString vendor;
    // Manufacturer's product code.
    std::uint16_t product = 0;
    // Numeric serial number; 0 when the maker left it out.
    std::uint32_t serial = 0;
    // Serial number text descriptor, empty when there is none.
    QString serialText;

    // Reads the base block; absent when the blob is shorter than 128 bytes or lacks the header.
    static std::optional<Edid> parse(const QByteArray& blob);
    // The display's UUID in canonical uppercase text, name-based on the identity fields, so
    // the same display gives the same UUID on every connector and after every restart.
    QString uuidText() const;

    bool operator==(const Edid&) const = default;
};

} // namespace tisko
