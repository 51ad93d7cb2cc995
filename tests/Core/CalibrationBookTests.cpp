#include "TiskoCore/CalibrationBook.h"

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

TEST(CalibrationBook, activeFallsBackToTheFirstPosition) {
    CalibrationBook book;
    EXPECT_FALSE(book.active());
    const Calibration mesa = position("Mesa"), sofa = position("Sofá");
    book.calibrations = {mesa, sofa};
    EXPECT_EQ(book.active()->id, mesa.id);
    book.activeID = sofa.id;
    EXPECT_EQ(book.active()->id, sofa.id);
    book.activeID = Uuid::random(); // a deleted position
    EXPECT_EQ(book.active()->id, mesa.id);
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
    ASSERT_EQ(book.calibrations.size(), 2u);
    EXPECT_EQ(book.calibrations[0].id, first.id);
    EXPECT_EQ(book.calibrations[0].name, "Oficina");
    EXPECT_DOUBLE_EQ(book.calibrations[0].reference.faceWidth, 0.4);
    EXPECT_EQ(book.activeID, first.id);
}

TEST(CalibrationBook, namesMatchIgnoringCaseAndDiacriticsButNotSpaces) {
    EXPECT_TRUE(CalibrationBook::sameName("Mesa", "mesa"));
    EXPECT_TRUE(CalibrationBook::sameName("Mesa", "Mésa"));
    EXPECT_TRUE(CalibrationBook::sameName("SALÓN", "salon"));
    // Decomposed and composed accents are one name.
    EXPECT_TRUE(CalibrationBook::sameName("Me\xCC\x81sa", "Mésa"));
    EXPECT_TRUE(CalibrationBook::sameName("Straße", "STRASSE"));
    EXPECT_FALSE(CalibrationBook::sameName("Mesa ", "Mesa"));
    EXPECT_FALSE(CalibrationBook::sameName("Mesa", "Mesas"));
    // Bytes that are not UTF-8 compare as they are.
    EXPECT_TRUE(CalibrationBook::sameName("\xff", "\xff"));
    EXPECT_FALSE(CalibrationBook::sameName("\xff", "\xfe"));
}

TEST(CalibrationBook, removingTheActivePositionActivatesTheFirstRemaining) {
    CalibrationBook book;
    const Calibration a = position("A"), b = position("B"), c = position("C");
    book.calibrations = {a, b, c};
    book.activeID = a.id;
    book.remove(a.id);
    EXPECT_EQ(book.activeID, b.id);
    book.remove(c.id); // not active
    EXPECT_EQ(book.activeID, b.id);
    book.remove(Uuid::random()); // unknown
    EXPECT_EQ(book.calibrations.size(), 1u);
    book.remove(b.id);
    EXPECT_TRUE(book.calibrations.empty());
    EXPECT_FALSE(book.activeID);
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
    EXPECT_FALSE(book.match("displays:"));

    const Calibration twinA = position("Uno", "displays:C", 500);
    const Calibration twinB = position("Dos", "displays:C", 500);
    book.calibrations = {twinA, twinB};
    EXPECT_EQ(book.match("displays:C")->id, twinA.id);
}
