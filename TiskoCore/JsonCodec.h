// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/CalibrationBook.h"
#include "TiskoCore/DailyTally.h"
#include "TiskoCore/HeadMeasurement.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tisko {

// Documents larger than this are not Tisko's: readers refuse them and Tisko never writes one
// (ten years of counts take well under 1 MB).
inline constexpr std::size_t largestJsonDocument = 64u * 1024 * 1024;

// The JSON text of the values Tisko stores. encode writes UTF-8 with keys sorted and absent
// optional values omitted, and throws std::invalid_argument for a number JSON cannot hold
// (infinite or NaN). decode is all or nothing: any missing required key, key given twice, wrong
// type, non-finite or unparsable value gives nothing. Unknown keys are ignored.
template <class T> struct JsonCodec;

template <> struct JsonCodec<HeadMeasurement> {
    static std::string encode(const HeadMeasurement& value);
    static std::optional<HeadMeasurement> decode(std::string_view text);
};

// The positions file, "posiciones.json".
template <> struct JsonCodec<CalibrationBook> {
    static std::string encode(const CalibrationBook& value);
    static std::optional<CalibrationBook> decode(std::string_view text);
};

// The counters file, "recuento.json": compact, one day per line. Counts are whole and not
// negative.
template <> struct JsonCodec<DailyTally> {
    static std::string encode(const DailyTally& value);
    static std::optional<DailyTally> decode(std::string_view text);
};

} // namespace tisko
