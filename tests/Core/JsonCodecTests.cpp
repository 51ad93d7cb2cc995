#include "TiskoCore/JsonCodec.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace tisko;

namespace {

std::string golden(const std::string& name) {
    std::ifstream file(std::string(TISKO_TEST_DATA) + "/core/" + name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

CalibrationBook sampleBook() {
    Calibration mesa;
    mesa.id = *Uuid::parse("6F1D2C3B-4A59-4E8D-9C7B-1A2B3C4D5E6F");
    mesa.name = "Mesa";
    mesa.reference = {0.25, 0.125, 0.75, 0.25};
    mesa.headPitch = -0.125;
    mesa.cameraID = "usb-Acme_HD_Webcam-video-index0";
    mesa.displayKey = "displays:0A1B2C3D-0000-5000-8000-000000000001";
    mesa.createdAt = *parseIso8601("2025-03-04T09:15:27Z");
    Calibration sofa;
    sofa.id = *Uuid::parse("00000000-0000-4000-8000-0000000000AB");
    sofa.name = "Sofá";
    sofa.reference = {0.3, std::nullopt, 0.5, 0.375};
    sofa.cameraID = "file:/tmp/cara.jpg";
    sofa.createdAt = *parseIso8601("2025-03-05T18:00:00Z");
    return CalibrationBook{{mesa, sofa}, mesa.id};
}

DailyTally sampleTally() {
    DailyTally::Day first("2025-03-04");
    first.tooClose = 2;
    first.slouching = 1;
    first.checks = 40;
    first.badChecks = 9;
    DailyTally::Day second("2025-03-05");
    second.checks = 3;
    return DailyTally{{first, second}};
}

} // namespace

TEST(PositionsFile, isWrittenExactlyAsTheGoldenFileAndReadsBack) {
    const std::string text = JsonCodec<CalibrationBook>::encode(sampleBook());
    EXPECT_EQ(text, golden("posiciones.json"));
    EXPECT_EQ(JsonCodec<CalibrationBook>::decode(text), sampleBook());
}

TEST(PositionsFile, anEmptyBookHasNoActiveKey) {
    const std::string text = JsonCodec<CalibrationBook>::encode(CalibrationBook{});
    EXPECT_EQ(text.find("activeID"), std::string::npos);
    EXPECT_EQ(text.find("null"), std::string::npos);
    EXPECT_EQ(JsonCodec<CalibrationBook>::decode(text), CalibrationBook{});
}

TEST(PositionsFile, datesLoseTheirFractionAndUuidsReadInAnyCase) {
    CalibrationBook book = sampleBook();
    book.calibrations[0].createdAt += std::chrono::milliseconds(750);
    const auto read = JsonCodec<CalibrationBook>::decode(JsonCodec<CalibrationBook>::encode(book));
    EXPECT_EQ(read->calibrations[0].createdAt, *parseIso8601("2025-03-04T09:15:27Z"));

    const auto lower = JsonCodec<CalibrationBook>::decode(
        R"({"activeID":"6f1d2c3b-4a59-4e8d-9c7b-1a2b3c4d5e6f","calibrations":[]})");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->activeID->toString(), "6F1D2C3B-4A59-4E8D-9C7B-1A2B3C4D5E6F");
}

TEST(PositionsFile, optionalValuesMayBeNullOrMissingAndUnknownKeysAreIgnored) {
    const auto book = JsonCodec<CalibrationBook>::decode(R"({
      "activeID": null, "extra": [1, 2],
      "calibrations": [{"cameraID": "c", "createdAt": "2025-03-04T10:15:27+01:00",
        "displayKey": null, "headPitch": null, "id": "00000000-0000-4000-8000-000000000001",
        "name": "Mesa", "future": true,
        "reference": {"faceWidth": 0.2, "eyeDistance": null, "faceY": 0.5, "faceHeight": 0.3}}]})");
    ASSERT_TRUE(book);
    EXPECT_FALSE(book->activeID);
    const Calibration& c = book->calibrations.at(0);
    EXPECT_FALSE(c.displayKey);
    EXPECT_FALSE(c.headPitch);
    EXPECT_FALSE(c.reference.eyeDistance);
    EXPECT_EQ(c.createdAt, *parseIso8601("2025-03-04T09:15:27Z"));
}

TEST(PositionsFile, anyFaultInTheDocumentMakesItUnreadable) {
    const std::string good = golden("posiciones.json");
    ASSERT_TRUE(JsonCodec<CalibrationBook>::decode(good));
    auto without = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const std::string broken[] = {
        without("\"cameraID\": \"usb-Acme_HD_Webcam-video-index0\",", ""),
        without("\"name\": \"Mesa\"", "\"name\": 7"),
        without("2025-03-04T09:15:27Z", "4 de marzo"),
        without("2025-03-04T09:15:27Z", "2025-02-30T09:15:27Z"),
        without("6F1D2C3B-4A59-4E8D-9C7B-1A2B3C4D5E6F\",\n      \"name",
                "6F1D2C3B-4A59-4E8D-9C7B-1A2B3C4D5E6\",\n      \"name"),
        without("\"activeID\": \"6F1D2C3B-4A59-4E8D-9C7B-1A2B3C4D5E6F\"", "\"activeID\": 12"),
        without("\"faceY\": 0.75", "\"faceY\": \"0.75\""),
        without("\"faceHeight\": 0.25,", ""),
        without("\"headPitch\": -0.125", "\"headPitch\": \"-0.125\""),
        without("\"calibrations\"", "\"posiciones\""),
        "[]",
        "",
        "null",
        "{\"calibrations\": [1]}",
        "{\"calibrations\": {}}",
        "{\"calibrations\": [], ",
        "\xff\xfe{}",
        "{\"calibrations\": [], \"x\": \"\xc3\x28\"}",
        "{\"calibrations\": [], \"x\": 1e400}",
    };
    for (const std::string& text : broken)
        EXPECT_FALSE(JsonCodec<CalibrationBook>::decode(text)) << text;
}

TEST(CountersFile, isWrittenExactlyAsTheGoldenFileAndReadsBack) {
    const std::string text = JsonCodec<DailyTally>::encode(sampleTally());
    EXPECT_EQ(text, golden("recuento.json"));
    EXPECT_EQ(JsonCodec<DailyTally>::decode(text), sampleTally());
    EXPECT_EQ(JsonCodec<DailyTally>::decode(JsonCodec<DailyTally>::encode(DailyTally{})),
              DailyTally{});
}

TEST(CountersFile, countsMustBeWholeNumbersAndEveryKeyIsRequired) {
    auto day = [](const std::string& checks) {
        return R"({"days":[{"badChecks":1,"checks":)" + checks +
               R"(,"date":"2025-03-04","slouching":0,"tooClose":0}]})";
    };
    EXPECT_EQ(JsonCodec<DailyTally>::decode(day("3"))->days.at(0).checks, 3);
    EXPECT_EQ(JsonCodec<DailyTally>::decode(day("3.0"))->days.at(0).checks, 3);
    for (const char* bad : {"3.5", "\"3\"", "true", "null", "1e30", "18446744073709551615"})
        EXPECT_FALSE(JsonCodec<DailyTally>::decode(day(bad))) << bad;
    EXPECT_FALSE(JsonCodec<DailyTally>::decode(
        R"({"days":[{"badChecks":1,"checks":1,"date":"2025-03-04","slouching":0}]})"));
    EXPECT_FALSE(JsonCodec<DailyTally>::decode(R"({"dias":[]})"));
    // A day key that Tisko never writes would reach the CSV export unquoted.
    EXPECT_FALSE(JsonCodec<DailyTally>::decode(
        R"({"days":[{"badChecks":0,"checks":1,"date":"=cmd|' /C calc'!A0","slouching":0,"tooClose":0}]})"));
}

TEST(JsonReaders, refuseHostileDocumentsWithoutCrashing) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string deepObject = "{\"days\":" + deep + "}";
    EXPECT_FALSE(JsonCodec<DailyTally>::decode(deep));
    EXPECT_FALSE(JsonCodec<DailyTally>::decode(deepObject));
    EXPECT_FALSE(JsonCodec<CalibrationBook>::decode("{\"calibrations\":" + deep + "}"));
    std::string garbage(50u * 1024 * 1024, 'x');
    garbage[0] = '{';
    EXPECT_FALSE(JsonCodec<CalibrationBook>::decode(garbage));
    EXPECT_FALSE(JsonCodec<HeadMeasurement>::decode(
        R"({"faceWidth":0.2,"eyeDistance":0.1,"faceHeight":0.2})"));
    EXPECT_EQ(
        JsonCodec<HeadMeasurement>::decode(R"({"faceWidth":0.2,"faceY":0.5,"faceHeight":0.2})"),
        (HeadMeasurement{0.2, std::nullopt, 0.5, 0.2}));
}

TEST(Iso8601, writesWholeSecondsInUtcAndReadsOffsets) {
    const Date date = *parseIso8601("2025-03-04T09:15:27Z");
    EXPECT_EQ(formatIso8601(date + std::chrono::milliseconds(999)), "2025-03-04T09:15:27Z");
    EXPECT_EQ(parseIso8601("2025-03-04T11:15:27+02:00"), date);
    EXPECT_EQ(parseIso8601("2025-03-04T04:45:27-04:30"), date);
    // Before 1970 the fraction still rounds down.
    EXPECT_EQ(formatIso8601(*parseIso8601("1970-01-01T00:00:00Z") - std::chrono::milliseconds(500)),
              "1969-12-31T23:59:59Z");
    for (const char* bad : {"2025-03-04 09:15:27Z", "2025-03-04T09:15:27", "2025-13-04T09:15:27Z",
                            "2025-03-04T24:00:00Z", "2025-03-04T09:15:27.5Z", "", "2025-03-04",
                            "0987-03-04T09:15:27Z", "9999-03-04T09:15:27Z"})
        EXPECT_FALSE(parseIso8601(bad)) << bad;
}
