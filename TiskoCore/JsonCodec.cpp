// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JsonCodec.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <set>
#include <stdexcept>
#include <vector>

namespace tisko {

namespace {

using nlohmann::json;

// Tisko's documents nest four levels deep; anything far deeper is refused before parsing.
constexpr int deepestNesting = 32;

// Whether the brackets outside strings nest at most deepestNesting deep. Malformed text is left
// for the parser to refuse.
bool shallowEnough(std::string_view text) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > deepestNesting)
                return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

// The document, or nothing when it does not parse or an object in it names a key twice (the
// parser would keep only the last value, silently dropping the others).
std::optional<json> parse(std::string_view text) {
    if (text.size() > largestJsonDocument || !shallowEnough(text))
        return std::nullopt;
    std::vector<std::set<std::string>> openObjects;
    bool repeatedKey = false;
    const json::parser_callback_t watchKeys = [&](int, json::parse_event_t event, json& parsed) {
        if (event == json::parse_event_t::object_start)
            openObjects.emplace_back();
        else if (event == json::parse_event_t::object_end && !openObjects.empty())
            openObjects.pop_back();
        else if (event == json::parse_event_t::key && !openObjects.empty() &&
                 !openObjects.back().insert(parsed.get<std::string>()).second)
            repeatedKey = true;
        return true;
    };
    json document = json::parse(text.begin(), text.end(), watchKeys, false);
    if (document.is_discarded() || repeatedKey)
        return std::nullopt;
    return document;
}

// Pretty-printed with two spaces; nlohmann keeps object keys sorted.
std::string dump(const json& document) {
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

// JSON has no infinity or NaN (nlohmann would write null, and the file would no longer read).
double finite(double value, const char* key) {
    if (!std::isfinite(value))
        throw std::invalid_argument(std::string(key) + " no es un número finito");
    return value;
}

// A reader that gives up on the first missing or ill-typed value.
class Reader {
public:
    bool failed = false;

    const json* member(const json& object, const char* key, bool required) {
        if (failed)
            return nullptr;
        const auto found = object.find(key);
        if (found == object.end() || found->is_null()) {
            if (required)
                failed = true;
            return nullptr;
        }
        return &*found;
    }

    double number(const json& object, const char* key) {
        const json* value = member(object, key, true);
        return value ? asNumber(*value) : 0;
    }

    std::optional<double> optionalNumber(const json& object, const char* key) {
        const json* value = member(object, key, false);
        if (!value)
            return std::nullopt;
        return asNumber(*value);
    }

    std::string text(const json& object, const char* key) {
        const json* value = member(object, key, true);
        return value ? asText(*value) : std::string{};
    }

    std::optional<std::string> optionalText(const json& object, const char* key) {
        const json* value = member(object, key, false);
        if (!value)
            return std::nullopt;
        return asText(*value);
    }

    // 3 and 3.0 are counts; -1, 3.5 and 1e30 are not.
    std::int64_t count(const json& object, const char* key) {
        const json* value = member(object, key, true);
        if (!value)
            return 0;
        std::optional<std::int64_t> whole;
        if (value->is_number_unsigned()) {
            const auto unsignedValue = value->get<std::uint64_t>();
            if (unsignedValue <= std::uint64_t(std::numeric_limits<std::int64_t>::max()))
                whole = std::int64_t(unsignedValue);
        } else if (value->is_number_integer()) {
            whole = value->get<std::int64_t>();
        } else if (value->is_number_float()) {
            const double floating = value->get<double>();
            if (std::trunc(floating) == floating && std::fabs(floating) < 9.0e18)
                whole = std::int64_t(floating);
        }
        if (!whole || *whole < 0) {
            failed = true;
            return 0;
        }
        return *whole;
    }

    Uuid uuid(const json& object, const char* key, bool required) {
        const json* value = required ? member(object, key, true) : &object.at(key);
        if (!value)
            return {};
        const auto parsed = Uuid::parse(asText(*value));
        if (!parsed)
            failed = true;
        return parsed.value_or(Uuid{});
    }

    Date date(const json& object, const char* key) {
        const json* value = member(object, key, true);
        if (!value)
            return {};
        const auto parsed = parseIso8601(asText(*value));
        if (!parsed)
            failed = true;
        return parsed.value_or(Date{});
    }

    const json* object(const json& parent, const char* key) {
        const json* value = member(parent, key, true);
        if (value && !value->is_object())
            failed = true;
        return failed ? nullptr : value;
    }

    const json* array(const json& parent, const char* key) {
        const json* value = member(parent, key, true);
        if (value && !value->is_array())
            failed = true;
        return failed ? nullptr : value;
    }

private:
    double asNumber(const json& value) {
        if (!value.is_number() || !std::isfinite(value.get<double>())) {
            failed = true;
            return 0;
        }
        return value.get<double>();
    }

    std::string asText(const json& value) {
        if (!value.is_string()) {
            failed = true;
            return {};
        }
        return value.get<std::string>();
    }
};

json measurementJson(const HeadMeasurement& m) {
    json object = json::object();
    object["faceWidth"] = finite(m.faceWidth, "faceWidth");
    if (m.eyeDistance)
        object["eyeDistance"] = finite(*m.eyeDistance, "eyeDistance");
    object["faceY"] = finite(m.faceY, "faceY");
    object["faceHeight"] = finite(m.faceHeight, "faceHeight");
    return object;
}

HeadMeasurement readMeasurement(Reader& reader, const json& object) {
    HeadMeasurement m;
    m.faceWidth = reader.number(object, "faceWidth");
    m.eyeDistance = reader.optionalNumber(object, "eyeDistance");
    m.faceY = reader.number(object, "faceY");
    m.faceHeight = reader.number(object, "faceHeight");
    return m;
}

// Day keys hold only digits and hyphens; anything else did not come from Tisko, and would
// reach the CSV export unquoted.
bool isDayKey(const std::string& key) {
    if (key.empty())
        return false;
    for (char c : key) {
        if ((c < '0' || c > '9') && c != '-')
            return false;
    }
    return true;
}

} // namespace

std::string JsonCodec<HeadMeasurement>::encode(const HeadMeasurement& value) {
    return dump(measurementJson(value));
}

std::optional<HeadMeasurement> JsonCodec<HeadMeasurement>::decode(std::string_view text) {
    const auto document = parse(text);
    if (!document || !document->is_object())
        return std::nullopt;
    Reader reader;
    const HeadMeasurement value = readMeasurement(reader, *document);
    if (reader.failed)
        return std::nullopt;
    return value;
}

std::string JsonCodec<CalibrationBook>::encode(const CalibrationBook& book) {
    json document = json::object();
    if (book.activeID)
        document["activeID"] = book.activeID->toString();
    json list = json::array();
    for (const Calibration& c : book.calibrations) {
        json entry = json::object();
        entry["cameraID"] = c.cameraID;
        entry["createdAt"] = formatIso8601(c.createdAt);
        if (c.displayKey)
            entry["displayKey"] = *c.displayKey;
        if (c.headPitch)
            entry["headPitch"] = finite(*c.headPitch, "headPitch");
        entry["id"] = c.id.toString();
        entry["name"] = c.name;
        entry["reference"] = measurementJson(c.reference);
        list.push_back(std::move(entry));
    }
    document["calibrations"] = std::move(list);
    return dump(document);
}

std::optional<CalibrationBook> JsonCodec<CalibrationBook>::decode(std::string_view text) {
    const auto document = parse(text);
    if (!document || !document->is_object())
        return std::nullopt;
    Reader reader;
    CalibrationBook book;
    const auto active = document->find("activeID");
    if (active != document->end() && !active->is_null())
        book.activeID = reader.uuid(*document, "activeID", false);
    const json* list = reader.array(*document, "calibrations");
    if (!list)
        return std::nullopt;
    for (const json& entry : *list) {
        if (!entry.is_object())
            return std::nullopt;
        Calibration c;
        c.cameraID = reader.text(entry, "cameraID");
        c.createdAt = reader.date(entry, "createdAt");
        c.displayKey = reader.optionalText(entry, "displayKey");
        c.headPitch = reader.optionalNumber(entry, "headPitch");
        c.id = reader.uuid(entry, "id", true);
        // A longer name is cut rather than refused, so no position is lost.
        c.name = CalibrationBook::limitedName(reader.text(entry, "name"));
        if (const json* reference = reader.object(entry, "reference"))
            c.reference = readMeasurement(reader, *reference);
        if (reader.failed)
            return std::nullopt;
        book.calibrations.push_back(std::move(c));
    }
    if (reader.failed)
        return std::nullopt;
    return book;
}

std::string JsonCodec<DailyTally>::encode(const DailyTally& tally) {
    // Compact, since the file grows a day at a time forever; a day per line keeps it legible.
    std::string text = "{\"days\":[";
    const char* separator = "\n";
    for (const DailyTally::Day& day : tally.days) {
        text += separator;
        text += json{{"badChecks", day.badChecks},
                     {"checks", day.checks},
                     {"date", day.date},
                     {"slouching", day.slouching},
                     {"tooClose", day.tooClose}}
                    .dump(-1, ' ', false, json::error_handler_t::replace);
        separator = ",\n";
    }
    text += tally.days.empty() ? "]}\n" : "\n]}\n";
    return text;
}

std::optional<DailyTally> JsonCodec<DailyTally>::decode(std::string_view text) {
    const auto document = parse(text);
    if (!document || !document->is_object())
        return std::nullopt;
    Reader reader;
    const json* list = reader.array(*document, "days");
    if (!list)
        return std::nullopt;
    DailyTally tally;
    tally.days.reserve(list->size());
    for (const json& entry : *list) {
        if (!entry.is_object())
            return std::nullopt;
        DailyTally::Day day;
        day.badChecks = reader.count(entry, "badChecks");
        day.checks = reader.count(entry, "checks");
        day.date = reader.text(entry, "date");
        day.slouching = reader.count(entry, "slouching");
        day.tooClose = reader.count(entry, "tooClose");
        if (reader.failed || !isDayKey(day.date))
            return std::nullopt;
        tally.days.push_back(std::move(day));
    }
    return tally;
}

} // namespace tisko
