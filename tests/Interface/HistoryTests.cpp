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
    struct Case {
        std::vector<DailyTally::Day> days;
        std::map<int, std::pair<std::int64_t, std::int64_t>> bars; // good, bad by days back
        std::optional<int> thisWeek, weekBefore;
        const char* sentence;
    };
    // The 14th day back is in neither week; older days are not drawn; a second entry of a
    // key and a day after today (the clock set back) are left out; a day with more bad checks
    // than checks counts all of them as bad.
    const Case cases[] = {
        {{day(today, -40, 9, 9), day(today, -14, 10, 10), day(today, -9, 4, 1),
          day(today, -9, 100, 100), day(today, -8, 5, 9), day(today, -2, 4, 3),
          day(today, 1, 100, 100)},
         {{14, {0, 10}}, {9, {3, 1}}, {8, {0, 5}}, {2, {1, 3}}},
         75,
         67,
         "Esta semana, el 75 % de las comprobaciones te vieron mal (la anterior, el 67 %)."},
        {{day(today, -10, largest, largest), day(today, -9, largest, 0),
          day(today, 0, largest, largest, largest, largest)},
         {{10, {0, largest}}, {9, {largest, 0}}, {0, {0, largest}}},
         100,
         50,
         "Esta semana, el 100 % de las comprobaciones te vieron mal (la anterior, el 50 %)."},
        {{day(today, -10, 10, 1)}, {{10, {9, 1}}}, {}, 10, "Todavía no hay una semana de datos."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sentence);
        DailyTally tally;
        tally.days = c.days;
        const HistoryModel history(tally, today, fixedOffsetCalendar(0));
        ASSERT_EQ(history.bars().size(), std::size_t(HistoryModel::dayCount));
        std::int64_t tallest = 0;
        for (int back = 0; back < HistoryModel::dayCount; ++back) {
            const HistoryModel::Bar& bar =
                history.bars()[std::size_t(HistoryModel::dayCount - 1 - back)];
            const auto expected = c.bars.find(back);
            const auto want = expected == c.bars.end() ? std::pair<std::int64_t, std::int64_t>()
                                                       : expected->second;
            EXPECT_EQ(std::pair(bar.good, bar.bad), want) << back << " days back";
            EXPECT_EQ(bar.date, QDate(2026, 3, 2).addDays(-back));
            tallest = std::max(tallest, want.first + want.second);
        }
        EXPECT_EQ(history.tallest(), tallest);
        EXPECT_EQ(history.thisWeek(), c.thisWeek);
        EXPECT_EQ(history.weekBefore(), c.weekBefore);
        EXPECT_EQ(history.weekSentence(), QString::fromUtf8(c.sentence));
    }
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
    // The day's line keeps room for the longest day: it neither wraps nor makes the window jump.
    const auto labels = window.findChildren<QLabel*>();
    const QLabel* line = *std::find_if(labels.begin(), labels.end(),
                                       [&](const QLabel* l) { return l->text() == yesterdays; });
    EXPECT_GE(line->width(), line->fontMetrics().horizontalAdvance(todays));
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](const QLabel* l) {
        return l->text() == QStringLiteral("Bien");
    })) << "the legend says what the colours mean";

    // Home, then Left stays on the first day; Right, End, then Right stays on the last.
    for (const auto& [key, bar] : {std::pair{Qt::Key_Home, 0},
                                   {Qt::Key_Left, 0},
                                   {Qt::Key_Right, 1},
                                   {Qt::Key_End, 29},
                                   {Qt::Key_Right, 29}}) {
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(QApplication::focusWidget(), window.bars()[std::size_t(bar)]) << bar;
    }
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

    // A week later, with the window still open.
    h.clock().set(h.clock().now() + days{7});
    check(fineFace());
    EXPECT_EQ(window.bars().back()->good(), 1);
    EXPECT_EQ(window.bars().back()->bad(), 0);
    EXPECT_EQ(window.bars()[HistoryModel::dayCount - 8]->bad(), 1);
    EXPECT_TRUE(window.dayShown().startsWith(QStringLiteral("lun 9 mar: 1 comprobación")))
        << window.dayShown().toStdString();
    EXPECT_EQ(window.findChild<QLabel*>()->text(), // the sentence over the bars
              QStringLiteral("Esta semana, el 0 % de las comprobaciones te vieron mal (la "
                             "anterior, el 100 %)."));
}

// The rows of `bar`'s middle column painted green (good checks) and orange (bad ones).
std::pair<int, int> paintedRows(HistoryBar& bar) {
    const QImage picture = bar.grab().toImage();
    int good = 0;
    int bad = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const QColor pixel = picture.pixelColor(picture.width() / 2, y);
        good += pixel.green() > pixel.red() + 60;
        bad += pixel.red() > pixel.green() + 60;
    }
    return {good, bad};
}

TEST(HistoryBar, drawsTheDayInProportionToTheTallest) {
    // About 100 rows to draw in: some rows go to the margins.
    struct Case {
        std::int64_t good, bad, tallest;
        int goodRows, badRows;
    };
    for (const Case& c :
         {Case{3, 1, 4, 75, 25}, Case{1, 0, 100000, 2, 0}, Case{0, largest, largest, 0, 100}}) {
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
