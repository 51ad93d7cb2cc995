// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Uuid.h"

#include <random>

namespace tisko {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isDashPosition(std::size_t i) {
    return i == 8 || i == 13 || i == 18 || i == 23;
}

} // namespace

Uuid Uuid::random() {
    static thread_local std::mt19937_64 engine{[] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device()};
        return std::mt19937_64{seed};
    }()};
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < 16; i += 8) {
        std::uint64_t value = engine();
        for (std::size_t j = 0; j < 8; ++j, value >>= 8)
            bytes[i + j] = std::uint8_t(value & 0xff);
    }
    bytes[6] = std::uint8_t((bytes[6] & 0x0f) | 0x40); // version 4
    bytes[8] = std::uint8_t((bytes[8] & 0x3f) | 0x80); // RFC 4122 variant
    return Uuid{bytes};
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36)
        return std::nullopt;
    std::array<std::uint8_t, 16> bytes{};
    std::size_t byte = 0;
    for (std::size_t i = 0; i < 36;) {
        if (isDashPosition(i)) {
            if (text[i] != '-')
                return std::nullopt;
            ++i;
            continue;
        }
        const int high = hexValue(text[i]);
        const int low = hexValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[byte++] = std::uint8_t(high * 16 + low);
        i += 2;
    }
    return Uuid{bytes};
}

std::string Uuid::toString() const {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text.push_back('-');
        text.push_back(digits[m_bytes[i] >> 4]);
        text.push_back(digits[m_bytes[i] & 0x0f]);
    }
    return text;
}

} // namespace tisko

std::size_t std::hash<tisko::Uuid>::operator()(const tisko::Uuid& id) const noexcept {
    std::size_t value = 1469598103934665603ull;
    for (std::uint8_t b : id.bytes())
        value = (value ^ b) * 1099511628211ull;
    return value;
}
