// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/Calibration.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tisko {

// The ordered list of saved positions and the id of the active one.
struct CalibrationBook {
    // The longest name a position keeps, in characters: enough for any place, short enough
    // for a line of the settings and of the log.
    static constexpr std::size_t longestName = 100;

    std::vector<Calibration> calibrations; // in order of first saving
    std::optional<Uuid> activeID;          // may name a position that no longer exists

    bool operator==(const CalibrationBook&) const = default;

    // The position named by activeID, else the first one; absent for an empty book.
    std::optional<Calibration> active() const;
    // Adds a position, or replaces the one of the same name (ignoring case and diacritics)
    // in place keeping its id; the saved position becomes active. A longer name is cut.
    void save(const Calibration& calibration);
    // Removes the position; removing the active one activates the first remaining.
    void remove(const Uuid& id);
    // The latest-recorded position with exactly this display key (earlier in the list on ties).
    std::optional<Calibration> match(std::string_view displayKey) const;

    // The name cut to its first longestName characters (UTF-8 code points).
    static std::string limitedName(std::string_view name);
    // Whether two names are one, compared ignoring case and diacritics, with no locale.
    static bool sameName(std::string_view a, std::string_view b);
};

} // namespace tisko
