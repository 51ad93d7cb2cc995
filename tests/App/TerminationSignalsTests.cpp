// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// SIGTERM ends Tisko even when its main thread never comes back to the event loop.
#include "Tisko/App/TerminationSignals.h"

#include <QObject>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <poll.h>
#include <unistd.h>

namespace tisko::test {
namespace {

// Blocks the calling thread for `time` without returning to the event loop, through any
// number of interrupting signals.
void stayStuckFor(std::chrono::seconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end)
        ::poll(nullptr, 0, 100);
}

TEST(TerminationSignalsTests, aSignalEndsTheProcessWhenTheMainThreadIsStuck) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QObject context;
            int quits = 0;
            TerminationSignals::install(&context, [&] { ++quits; }, 200);
            ::raise(SIGTERM);
            stayStuckFor(std::chrono::seconds(20));
            ::_exit(quits);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

} // namespace
} // namespace tisko::test
