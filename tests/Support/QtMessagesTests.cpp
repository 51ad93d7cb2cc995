// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/Log.h"
#include "Tisko/Support/QtMessages.h"

#include "LoggedLines.h"
#include "TempHome.h"

#include <QLoggingCategory>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

Q_LOGGING_CATEGORY(screens, "qt.qpa.screen")

// Qt's warnings and criticals reach the log with their category; a flood of one costs a line
// a minute, and the next line counts what was held back.
TEST(QtMessages, warningsReachTheLogOnceAMinuteWithTheCountOfThoseHeldBack) {
    TempHome home;
    Log::restartForTesting();
    auto now = std::chrono::steady_clock::time_point();
    QtMessages::install([&] { return now; });
    for (int i = 0; i < 5; ++i) {
        qCWarning(screens) << "no screen";
        now += std::chrono::seconds(20);
    }
    qCritical("cannot open %s", "display");
    qDebug("chatter");
    QtMessages::uninstall();
    qWarning("after");
    EXPECT_EQ(loggedMessages(), (QStringList{u"Qt (qt.qpa.screen): no screen"_qs,
                                             u"Qt (qt.qpa.screen): no screen (y 2 veces más)"_qs,
                                             u"Qt (default): cannot open display"_qs}));
    EXPECT_EQ(loggedErrors(), QStringList{u"Qt (default): cannot open display"_qs});
}

} // namespace
} // namespace tisko::test
