#pragma once

#include "TiskoCore/Calibration.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tisko {

// The ordered list of saved positions and the id of the active one.
struct CalibrationBook {
    std::vector<Calibration> calibrations; // in order of first saving
    std::optional<Uuid> activeID;          // may name a position that no longer exists

    bool operator==(const CalibrationBook&) const = default;

    // The position named by activeID, else the first one; absent for an empty book.
    std::optional<Calibration> active() const;
    // Adds a position, or replaces the one of the same name (ignoring case and diacritics)
    // in place keeping its id; the saved position becomes active.
    void save(const Calibration& calibration);
    // Removes the position; removing the active one activates the first remaining.
    void remove(const Uuid& id);
    // The latest-recorded position with exactly this display key (earlier in the list on ties).
    std::optional<Calibration> match(std::string_view displayKey) const;

    // Whether two names are one, compared ignoring case and diacritics, with no locale.
    static bool sameName(std::string_view a, std::string_view b);
};

} // namespace tisko
