#pragma once

#include "TiskoCore/CalibrationBook.h"
#include "TiskoCore/DailyTally.h"
#include "TiskoCore/HeadMeasurement.h"

#include <optional>
#include <string>
#include <string_view>

namespace tisko {

// The JSON text of the values Tisko stores. encode writes pretty-printed UTF-8 with keys
// sorted and absent optional values omitted; decode is all or nothing: any missing required
// key, wrong type or unparsable value gives nothing. Unknown keys are ignored.
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

// The counters file, "recuento.json".
template <> struct JsonCodec<DailyTally> {
    static std::string encode(const DailyTally& value);
    static std::optional<DailyTally> decode(std::string_view text);
};

} // namespace tisko
