// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/CalibrationBook.h"
#include "TiskoCore/JsonCodec.h"

#include <gtest/gtest.h>

using namespace tisko;

namespace {

Calibration position(std::string name, std::optional<std::string> displayKey = std::nullopt,
                     double createdAt = 0) {
    Calibration c;
    c.id = Uuid::random();
    c.name = std::move(name);
    c.reference = {0.25, 0.125, 0.75, 0.25};
    c.cameraID = "cam";
    c.displayKey = std::move(displayKey);
    c.createdAt = addSeconds(Date{}, createdAt);
    return c;
}

} // namespace

TEST(CalibrationBook, activeFallsBackToTheFirstPositionAndMovesThereOnRemoval) {
    CalibrationBook book;
    EXPECT_FALSE(book.active());
    const Calibration a = position("A"), b = position("B"), c = position("C");
    book.calibrations = {a, b, c};
    EXPECT_EQ(book.active()->id, a.id);
    book.activeID = b.id;
    EXPECT_EQ(book.active()->id, b.id);
    book.activeID = Uuid::random(); // a deleted position
    EXPECT_EQ(book.active()->id, a.id);
    book.activeID = a.id;
    book.remove(a.id);
    EXPECT_EQ(book.activeID, b.id);
    book.remove(c.id);           // not active
    book.remove(Uuid::random()); // unknown
    EXPECT_EQ(book, (CalibrationBook{{b}, b.id}));
    book.remove(b.id);
    EXPECT_EQ(book, CalibrationBook{});
}

TEST(CalibrationBook, aNewNameIsAppendedAndTheSameNameReplacedInPlaceKeepingItsId) {
    CalibrationBook book;
    const Calibration first = position("oficina"), second = position("Casa");
    book.save(first);
    book.save(second);
    EXPECT_EQ(book.activeID, second.id);
    Calibration again = position("Oficina");
    again.reference.faceWidth = 0.4;
    book.save(again);
    again.id = first.id;
    EXPECT_EQ(book, (CalibrationBook{{again, second}, first.id}));
}

TEST(CalibrationBook, longNamesAreCutToAHundredCharactersWhenSavedAndWhenRead) {
    std::string name;
    for (int i = 0; i < 150; ++i)
        name += "\xC3\xB1"; // ñ, two bytes
    const std::string hundred = name.substr(0, 200);
    CalibrationBook book;
    book.save(position(name));
    EXPECT_EQ(book.calibrations.at(0).name, hundred);
    // A file holding a longer name (by hand, or from an older Tisko) loses no position.
    book.calibrations[0].name = name;
    const auto read = JsonCodec<CalibrationBook>::decode(JsonCodec<CalibrationBook>::encode(book));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->calibrations.size(), 1u);
    EXPECT_EQ(read->calibrations[0].name, hundred);
}

TEST(CalibrationBook, namesMatchIgnoringCaseAndDiacriticsButNotSpaces) {
    EXPECT_TRUE(CalibrationBook::sameName("SALÓN", "salon"));
    // Decomposed and composed accents are one name.
    EXPECT_TRUE(CalibrationBook::sameName("Me\xCC\x81sa", "Mésa"));
    EXPECT_FALSE(CalibrationBook::sameName("Mesa ", "Mesa"));
    // Bytes that are not UTF-8 compare as they are.
    EXPECT_TRUE(CalibrationBook::sameName("\xff", "\xff"));
    EXPECT_FALSE(CalibrationBook::sameName("\xff", "\xfe"));
}

TEST(CalibrationBook, displayMatchPrefersTheLatestAndTheEarlierOnEqualDates) {
    CalibrationBook book;
    const Calibration older = position("Vieja", "displays:A", 100);
    const Calibration newer = position("Nueva", "displays:A", 200);
    const Calibration other = position("Otra", "displays:B", 300);
    const Calibration none = position("Sin", std::nullopt, 400);
    book.calibrations = {older, newer, other, none};
    EXPECT_EQ(book.match("displays:A")->id, newer.id);
    EXPECT_FALSE(book.match("displays:a")); // case-sensitive

    const Calibration twinA = position("Uno", "displays:C", 500);
    const Calibration twinB = position("Dos", "displays:C", 500);
    book.calibrations = {twinA, twinB};
    EXPECT_EQ(book.match("displays:C")->id, twinA.id);
}
