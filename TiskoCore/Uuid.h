// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tisko {

// A 128-bit identifier written as 8-4-4-4-12 uppercase hexadecimal digits.
class Uuid {
public:
    Uuid() = default; // the nil id
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes)
        : m_bytes(bytes) {}

    // A fresh random version-4 id.
    static Uuid random();
    // Reads the canonical form in either case; anything else gives nothing.
    static std::optional<Uuid> parse(std::string_view text);

    // Canonical uppercase text.
    std::string toString() const;
    const std::array<std::uint8_t, 16>& bytes() const { return m_bytes; }

    auto operator<=>(const Uuid&) const = default;

private:
    std::array<std::uint8_t, 16> m_bytes{};
};

} // namespace tisko

namespace std {
template <> struct hash<tisko::Uuid> {
    std::size_t operator()(const tisko::Uuid& id) const noexcept;
};
} // namespace std
