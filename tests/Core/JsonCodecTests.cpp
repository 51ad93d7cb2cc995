// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/JsonCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>

using namespace tisko;

namespace {

using Book = JsonCodec<CalibrationBook>;
using Counters = JsonCodec<DailyTally>;

std::string golden(const std::string& name) {
    std::ifstream file(std::string(TISKO_TEST_DATA) + "/core/" + name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

CalibrationBook sampleBook() {
    return *Book::decode(golden("posiciones.json"));
}

// The golden text with one piece replaced.
std::string edited(const std::string& text, const std::string& from, const std::string& to) {
    std::string copy = text;
    const auto at = copy.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? copy : copy.replace(at, from.size(), to);
}

} // namespace

TEST(PositionsFile, isWrittenExactlyAsTheGoldenFileAndReadsBack) {
    const CalibrationBook book = sampleBook();
    EXPECT_EQ(Book::encode(book), golden("posiciones.json"));
    ASSERT_EQ(book.calibrations.size(), 2u);
    EXPECT_EQ(book.activeID, book.calibrations[0].id);
    EXPECT_EQ(book.calibrations[0].createdAt, *parseIso8601("2025-03-04T09:15:27Z"));
    EXPECT_FALSE(book.calibrations[1].displayKey || book.calibrations[1].reference.eyeDistance);
    const std::string empty = Book::encode(CalibrationBook{});
    EXPECT_EQ(empty.find("activeID"), std::string::npos);
    EXPECT_EQ(Book::decode(empty), CalibrationBook{});
    // A number JSON cannot hold would be written as null, and the file would not read.
    CalibrationBook bad = book;
    bad.calibrations[1].reference.faceY = INFINITY;
    EXPECT_THROW(Book::encode(bad), std::invalid_argument);
}

TEST(PositionsFile, uuidsReadInAnyCaseDatesWithOffsetsAndOptionalsMayBeNull) {
    const auto read = Book::decode(R"({
      "activeID": "6f1d2c3b-4a59-4e8d-9c7b-1a2b3c4d5e6f", "extra": [1, 2],
      "calibrations": [{"cameraID": "c", "createdAt": "2025-03-04T10:15:27+01:00",
        "displayKey": null, "headPitch": null, "id": "00000000-0000-4000-8000-000000000001",
        "name": "Mesa", "future": true,
        "reference": {"faceWidth": 0.2, "eyeDistance": null, "faceY": 0.5, "faceHeight": 0.3}}]})");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->activeID->toString(), "6F1D2C3B-4A59-4E8D-9C7B-1A2B3C4D5E6F");
    const Calibration& c = read->calibrations.at(0);
    EXPECT_FALSE(c.displayKey || c.headPitch || c.reference.eyeDistance);
    EXPECT_EQ(c.createdAt, *parseIso8601("2025-03-04T09:15:27Z"));
}

TEST(PositionsFile, anyFaultInTheDocumentMakesItUnreadable) {
    const std::string good = golden("posiciones.json");
    const std::string broken[] = {
        edited(good, "\"cameraID\": \"usb-Acme_HD_Webcam-video-index0\",", ""),
        edited(good, "\"name\": \"Mesa\"", "\"name\": 7"),
        edited(good, "2025-03-04T09:15:27Z", "2025-02-30T09:15:27Z"),
        edited(good, "6F1D2C3B-4A59-4E8D-9C7B-1A2B3C4D5E6F\",\n      \"name",
               "6F1D2C3B-4A59-4E8D-9C7B-1A2B3C4D5E6\",\n      \"name"),
        edited(good, "\"activeID\": \"6F1D2C3B-4A59-4E8D-9C7B-1A2B3C4D5E6F\"", "\"activeID\": 12"),
        edited(good, "\"faceY\": 0.75", "\"faceY\": \"0.75\""),
        edited(good, "\"faceHeight\": 0.25,", ""),
        edited(good, "\"headPitch\": -0.125", "\"headPitch\": -1e400"),
        edited(good, "\"calibrations\"", "\"posiciones\""),
        // Each kind of member is required: a position without it is damage, not a default.
        edited(good, "\"createdAt\": \"2025-03-04T09:15:27Z\",", ""),
        edited(good, "\"id\": \"00000000-0000-4000-8000-0000000000AB\",", ""),
        edited(good,
               "\"Sofá\",\n      \"reference\": {\n        \"faceHeight\": 0.375,\n        "
               "\"faceWidth\": 0.3,\n        \"faceY\": 0.5\n      }",
               "\"Sofá\""),
        // A key given twice, at any depth: the parser would keep only the last value.
        edited(good, "\"calibrations\": [", "\"calibrations\": [], \"calibrations\": ["),
        edited(good, "\"faceY\": 0.75", "\"faceY\": 0.75, \"faceY\": 0.5"),
        "[]",
        "",
        "{\"calibrations\": [1]}",
        "{\"calibrations\": [], ",
        "{\"calibrations\": [], \"x\": \"\xc3\x28\"}",
    };
    ASSERT_TRUE(Book::decode(good));
    for (const std::string& text : broken)
        EXPECT_FALSE(Book::decode(text)) << text;
}

TEST(CountersFile, isWrittenCompactlyOneDayPerLineAndReadsBack) {
    DailyTally::Day first("2025-03-04");
    first.tooClose = 2;
    first.slouching = 1;
    first.checks = 40;
    first.badChecks = 9;
    DailyTally::Day second("2025-03-05");
    second.checks = 3;
    const std::string text = Counters::encode(DailyTally{{first, second}});
    EXPECT_EQ(text, golden("recuento.json"));
    EXPECT_EQ(Counters::decode(text), (DailyTally{{first, second}}));
    EXPECT_EQ(Counters::decode(Counters::encode(DailyTally{})), DailyTally{});
}

TEST(CountersFile, countsAreWholeAndNotNegativeAndEveryKeyIsRequiredOnce) {
    auto day = [](const std::string& checks) {
        return R"({"days":[{"badChecks":1,"checks":)" + checks +
               R"(,"date":"2019-09-30","slouching":0,"tooClose":0}]})";
    };
    EXPECT_EQ(Counters::decode(day("3"))->days.at(0).checks, 3);
    EXPECT_EQ(Counters::decode(day("3.0"))->days.at(0).checks, 3);
    for (const char* bad :
         {"-1", "-3.0", "3.5", "\"3\"", "null", "1e30", "18446744073709551615", "1, \"checks\": 2"})
        EXPECT_FALSE(Counters::decode(day(bad))) << bad;
    EXPECT_FALSE(Counters::decode(
        R"({"days":[{"badChecks":1,"checks":1,"date":"2025-03-04","slouching":0}]})"));
    EXPECT_FALSE(Counters::decode(day("1").insert(1, R"("days":[],)")));
    // A day key that Tisko never writes would reach the CSV export unquoted.
    EXPECT_FALSE(Counters::decode(
        R"({"days":[{"badChecks":0,"checks":1,"date":"=cmd|' /C calc'!A0","slouching":0,"tooClose":0}]})"));
}

TEST(JsonReaders, refuseHostileDocumentsWithoutCrashing) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_FALSE(Counters::decode(deep));
    // Deep under a key nobody reads, or inside a name: refused, or read as text.
    EXPECT_FALSE(Counters::decode("{\"days\":[],\"x\":" + deep + "}"));
    CalibrationBook book = sampleBook();
    book.calibrations[0].name = "\\\"" + std::string(40, '[') + std::string(40, '{');
    EXPECT_EQ(Book::decode(Book::encode(book)), book);
    std::string garbage(largestJsonDocument + 1, ' ');
    garbage.replace(0, 14, R"({"days":[]}   )");
    EXPECT_FALSE(Counters::decode(garbage));
}

TEST(Iso8601, writesWholeSecondsInUtcAndReadsOffsets) {
    const Date date = *parseIso8601("2025-03-04T09:15:27Z");
    EXPECT_EQ(formatIso8601(date + std::chrono::milliseconds(999)), "2025-03-04T09:15:27Z");
    EXPECT_EQ(parseIso8601("2025-03-04T11:15:27+02:00"), date);
    EXPECT_EQ(parseIso8601("2025-03-04T04:45:27-04:30"), date);
    EXPECT_EQ(parseIso8601("2025-03-04T23:59:59+23:59"), *parseIso8601("2025-03-04T00:00:59Z"));
    for (const char* bad : {"2025-03-04 09:15:27Z", "2025-03-04T09:15:27", "2025-13-04T09:15:27Z",
                            "2025-03-04T24:00:00Z", "2025-03-04T09:15:27.5Z", "", "2025-03-04",
                            "0987-03-04T09:15:27Z", "2262-01-01T00:00:00Z", "2025-03-04T09:15:2/Z",
                            "2025-03-04T09:15:27+24:00", "2025-03-04T09:15:27+00:60"})
        EXPECT_FALSE(parseIso8601(bad)) << bad;
}

TEST(Date, addSecondsStopsAtTheEndsOfTheClocksRange) {
    const Date now = *parseIso8601("2026-03-02T10:00:00Z");
    EXPECT_EQ(formatIso8601(addSeconds(now, 90.5)), "2026-03-02T10:01:30Z");
    EXPECT_EQ(formatIso8601(addSeconds(now, -1e10)), "1709-04-12T16:13:20Z") << "within the range";
    const double infinity = std::numeric_limits<double>::infinity();
    for (double far : {1e10, 1e11, 1e300, infinity})
        EXPECT_EQ(addSeconds(now, far), Date::max()) << far;
    for (double far : {-2e10, -1e300, -infinity})
        EXPECT_EQ(addSeconds(now, far), Date::min()) << far;
    EXPECT_EQ(addSeconds(Date::max(), 1), Date::max());
    EXPECT_EQ(addSeconds(Date::min(), -1), Date::min());
    EXPECT_EQ(addSeconds(now, std::numeric_limits<double>::quiet_NaN()), now);
}
