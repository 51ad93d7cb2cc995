// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CalibrationBook.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstdlib>

namespace tisko {

namespace {

// The name case-folded with its diacritics stripped; invalid UTF-8 stays as it is.
std::string folded(std::string_view name) {
    utf8proc_uint8_t* result = nullptr;
    const auto options = utf8proc_option_t(UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_CASEFOLD |
                                           UTF8PROC_STRIPMARK);
    const utf8proc_ssize_t length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(name.data()),
                     utf8proc_ssize_t(name.size()), &result, options);
    if (length < 0)
        return std::string(name);
    std::string text(reinterpret_cast<const char*>(result), std::size_t(length));
    std::free(result);
    return text;
}

} // namespace

bool CalibrationBook::sameName(std::string_view a, std::string_view b) {
    return folded(a) == folded(b);
}

std::optional<Calibration> CalibrationBook::active() const {
    if (activeID) {
        for (const Calibration& calibration : calibrations) {
            if (calibration.id == *activeID)
                return calibration;
        }
    }
    if (calibrations.empty())
        return std::nullopt;
    return calibrations.front();
}

std::string CalibrationBook::limitedName(std::string_view name) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        // A character starts at every byte that is not a UTF-8 continuation byte.
        if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80 && ++characters > longestName)
            return std::string(name.substr(0, i));
    }
    return std::string(name);
}

void CalibrationBook::save(const Calibration& calibration) {
    Calibration saved = calibration;
    saved.name = limitedName(calibration.name);
    const std::string name = folded(saved.name);
    for (Calibration& existing : calibrations) {
        if (folded(existing.name) == name) {
            const Uuid keptID = existing.id;
            existing = saved;
            existing.id = keptID;
            activeID = keptID;
            return;
        }
    }
    calibrations.push_back(saved);
    activeID = saved.id;
}

void CalibrationBook::remove(const Uuid& id) {
    std::erase_if(calibrations, [&](const Calibration& c) { return c.id == id; });
    if (activeID == id) {
        if (calibrations.empty())
            activeID.reset();
        else
            activeID = calibrations.front().id;
    }
}

std::optional<Calibration> CalibrationBook::match(std::string_view displayKey) const {
    const Calibration* best = nullptr;
    for (const Calibration& calibration : calibrations) {
        if (!calibration.displayKey || *calibration.displayKey != displayKey)
            continue;
        if (!best || calibration.createdAt > best->createdAt)
            best = &calibration;
    }
    if (!best)
        return std::nullopt;
    return *best;
}

} // namespace tisko
