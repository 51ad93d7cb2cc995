// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The history window: the bars and the week's share from tallies good and bad, the walk over
// the days by keyboard with what a screen reader is told, and the live update.
#include "MonitorHarness.h"

#include "Tisko/Interface/HistoryBar.h"
#include "Tisko/Interface/HistoryWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <map>

namespace tisko::test {
namespace {

using namespace std::chrono;

constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();

// 2026-03-02, a Monday, midday UTC: the week before reaches back into February.
Date monday() {
    return sys_days{year{2026} / March / 2} + hours{12};
}

// The day `offset` days from `today` (negative: before), with its counters.
DailyTally::Day day(Date today, int offset, std::int64_t checks, std::int64_t badChecks,
                    std::int64_t tooClose = 0, std::int64_t slouching = 0) {
    DailyTally::Day entry(DailyTally::key(today + days{offset}, fixedOffsetCalendar(0)));
    entry.checks = checks;
    entry.badChecks = badChecks;
    entry.tooClose = tooClose;
    entry.slouching = slouching;
    return entry;
}

TEST(HistoryModel, barsAndTheWeeksOverTalliesGoodAndBad) {
    const Date today = monday();
    struct Good {
        std::int64_t good, bad;
        bool operator==(const Good&) const = default;
    };
    struct Case {
        const char* name;
        std::vector<DailyTally::Day> days;
        std::map<int, Good> bars; // by days before today; every other bar is empty
        std::optional<int> thisWeek, weekBefore;
    };
    std::vector<DailyTally::Day> tenYears;
    for (int i = 3650; i >= 1; --i)
        tenYears.push_back(day(today, -i, 10, 3));
    std::map<int, Good> tenYearBars;
    for (int i = 1; i < HistoryModel::dayCount; ++i)
        tenYearBars[i] = {7, 3};

    const std::vector<Case> cases = {
        {"nothing counted yet", {}, {}, {}, {}},
        {"one day", {day(today, 0, 10, 2)}, {{0, {8, 2}}}, 20, {}},
        {"two weeks",
         {day(today, -13, 50, 4), day(today, -7, 50, 14), day(today, -6, 40, 4),
          day(today, 0, 60, 8)},
         {{13, {46, 4}}, {7, {36, 14}}, {6, {36, 4}}, {0, {52, 8}}},
         12,
         18},
        // The 14th day back is in neither week; older days are not drawn; a second entry of
        // a key and a day after today (the clock set back) are left out.
        {"gaps, a repeated day and one after today",
         {day(today, -40, 9, 9), day(today, -14, 10, 10), day(today, -9, 4, 1),
          day(today, -9, 100, 100), day(today, -2, 4, 3), day(today, 1, 100, 100)},
         {{14, {0, 10}}, {9, {3, 1}}, {2, {1, 3}}},
         75,
         25},
        {"more bad checks than checks",
         {day(today, -8, 5, 9), day(today, -1, 4, 1)},
         {{8, {0, 5}}, {1, {3, 1}}},
         25,
         100},
        {"counts at the largest value",
         {day(today, -10, largest, largest), day(today, -9, largest, 0),
          day(today, 0, largest, largest, largest, largest)},
         {{10, {0, largest}}, {9, {largest, 0}}, {0, {0, largest}}},
         100,
         50},
        {"only a week before, none this week", {day(today, -10, 10, 1)}, {{10, {9, 1}}}, {}, 10},
        {"ten years up to yesterday", tenYears, tenYearBars, 30, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DailyTally tally;
        tally.days = c.days;
        const HistoryModel history(tally, today, fixedOffsetCalendar(0));
        ASSERT_EQ(history.bars().size(), std::size_t(HistoryModel::dayCount));
        std::int64_t tallest = 0;
        for (int back = 0; back < HistoryModel::dayCount; ++back) {
            const HistoryModel::Bar& bar =
                history.bars()[std::size_t(HistoryModel::dayCount - 1 - back)];
            const auto expected = c.bars.find(back);
            const Good want = expected == c.bars.end() ? Good{0, 0} : expected->second;
            EXPECT_EQ((Good{bar.good, bar.bad}), want) << back << " days back";
            EXPECT_EQ(bar.date, QDate(2026, 3, 2).addDays(-back));
            tallest = std::max(tallest, want.good + want.bad);
        }
        EXPECT_EQ(history.tallest(), tallest);
        EXPECT_EQ(history.thisWeek(), c.thisWeek);
        EXPECT_EQ(history.weekBefore(), c.weekBefore);
    }

    // The two weeks in words.
    DailyTally tally;
    tally.days = {day(monday(), -10, 50, 9), day(monday(), -3, 25, 3)};
    EXPECT_EQ(HistoryModel(tally, monday(), fixedOffsetCalendar(0)).weekSentence(),
              QStringLiteral("Esta semana, el 12 % de las comprobaciones te vieron mal (la "
                             "anterior, el 18 %)."));
    tally.days.pop_back();
    EXPECT_EQ(HistoryModel(tally, monday(), fixedOffsetCalendar(0)).weekSentence(),
              QStringLiteral("Todavía no hay una semana de datos."));
}

// What assistive technology is told of the window's focused element.
QString readAloud(QWidget& window) {
    QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(&window)->focusChild();
    return focused ? focused->text(QAccessible::Name) : QString();
}

TEST(HistoryWindow, theKeyboardWalksTheDaysAndEachIsReadAloud) {
    const Date today = sys_days{year{2026} / December / 1} + hours{12};
    DailyTally tally;
    tally.days = {day(today, -29, 3, 0), day(today, -1, 1, 1, 1, 0), day(today, 0, 84, 9, 6, 3)};
    HistoryWindow window(HistoryModel(tally, today, fixedOffsetCalendar(0)));
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    // Tab reaches today's bar: the only one in the chain.
    const QString todays = QStringLiteral(
        "mar 1 dic: 84 comprobaciones (9 mal), 6 demasiado cerca, 3 hundido, 9 avisos");
    QTest::keyClick(&window, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.bars().back());
    EXPECT_EQ(readAloud(window), todays);
    EXPECT_EQ(window.dayShown(), todays);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    const QString yesterdays =
        QStringLiteral("lun 30 nov: 1 comprobación (1 mal), 1 demasiado cerca, 0 hundido, 1 aviso");
    EXPECT_EQ(readAloud(window), yesterdays);
    EXPECT_EQ(window.dayShown(), yesterdays);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    EXPECT_EQ(QApplication::focusWidget(), window.bars().front());
    EXPECT_TRUE(readAloud(window).startsWith(QStringLiteral("lun 2 nov: 3 comprobaciones")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left); // the first day stays
    EXPECT_EQ(QApplication::focusWidget(), window.bars().front());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), window.bars()[1]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    EXPECT_EQ(QApplication::focusWidget(), window.bars().back());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right); // and the last
    EXPECT_EQ(readAloud(window), todays);

    // Pointing at a bar shows its day; leaving it shows the keyboard's day again.
    QWidget* pointed = window.bars()[28];
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(pointed, &enter);
    EXPECT_EQ(window.dayShown(), yesterdays);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(pointed, &leave);
    EXPECT_EQ(window.dayShown(), todays);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

bool showsText(QWidget& window, const QString& text) {
    const auto labels = window.findChildren<QLabel*>();
    return std::any_of(labels.begin(), labels.end(),
                       [&](const QLabel* label) { return label->text() == text; });
}

TEST(HistoryWindow, opensOnTheTallyAndFollowsEachCheck) {
    MonitorHarness h;
    h.monitor().start();
    h.monitor().saveCalibration(position("Mesa"));
    auto check = [&h](const HeadMeasurement& face) {
        h.monitor().look(Monitor::Trigger::manual);
        h.finishLook(faceResult(face));
    };
    check(closeFace());
    HistoryWindow window(h.monitor());
    EXPECT_EQ(window.bars().back()->bad(), 1);
    EXPECT_TRUE(showsText(window, QStringLiteral("Todavía no hay una semana de datos.")));

    // A week later, with the window still open.
    h.clock().set(h.clock().now() + days{7});
    check(fineFace());
    EXPECT_EQ(window.bars().back()->good(), 1);
    EXPECT_EQ(window.bars().back()->bad(), 0);
    EXPECT_EQ(window.bars()[HistoryModel::dayCount - 8]->bad(), 1);
    EXPECT_TRUE(window.dayShown().startsWith(QStringLiteral("lun 9 mar: 1 comprobación")))
        << window.dayShown().toStdString();
    EXPECT_TRUE(showsText(window, QStringLiteral("Esta semana, el 0 % de las comprobaciones te "
                                                 "vieron mal (la anterior, el 100 %).")));
}

// The rows of `bar`'s middle column painted in each of the two colours.
std::pair<int, int> paintedRows(HistoryBar& bar) {
    const QImage picture = bar.grab().toImage();
    int good = 0;
    int bad = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const QRgb pixel = picture.pixel(picture.width() / 2, y) | 0xff000000u;
        good += pixel == HistoryBar::colour(HistoryBar::Part::good, bar.palette()).rgb();
        bad += pixel == HistoryBar::colour(HistoryBar::Part::bad, bar.palette()).rgb();
    }
    return {good, bad};
}

TEST(HistoryBar, drawsTheDayInProportionToTheTallest) {
    // About 100 rows to draw in: some rows go to the margins.
    struct Case {
        std::int64_t good, bad, tallest;
        int goodRows, badRows;
    };
    for (const Case& c : {Case{3, 1, 4, 75, 25}, Case{1, 1, 4, 25, 25}, Case{0, 0, 4, 0, 0},
                          Case{1, 0, 100000, 2, 0}, Case{0, largest, largest, 0, 100}}) {
        SCOPED_TRACE(testing::Message() << c.good << "+" << c.bad << " of " << c.tallest);
        HistoryBar bar;
        bar.setFixedSize(12, 102);
        bar.setDay(c.good, c.bad, c.tallest, QString());
        const auto [good, bad] = paintedRows(bar);
        EXPECT_NEAR(good, c.goodRows, 1);
        EXPECT_NEAR(bad, c.badRows, 1);
    }
}

} // namespace
} // namespace tisko::test
