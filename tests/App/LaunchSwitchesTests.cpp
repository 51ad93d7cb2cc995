// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How the command line picks the kind of launch, and how a signal ends Tisko.
#include "Tisko/App/LaunchSwitches.h"
#include "Tisko/App/TerminationSignals.h"

#include <QObject>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace tisko {
namespace {

using Kind = LaunchSwitches::Kind;
using namespace Qt::StringLiterals;

TEST(LaunchSwitches, eachCommandLineGivesItsLaunch) {
    const std::pair<std::vector<const char*>, LaunchSwitches> cases[] = {
        {{"--unknown", "x"}, {.ignored = {u"--unknown"_s, u"x"_s}}},
        // A switch's items are its own; what follows them is not.
        {{"--hold", "2.5", "/h", "640", "x"},
         {.kind = Kind::hold, .path = u"/h"_s, .seconds = 2.5, .width = 640, .ignored = {u"x"_s}}},
        {{"--look", "/tmp/a", "x"}, {.kind = Kind::look, .path = u"/tmp/a"_s, .ignored = {u"x"_s}}},
        {{"--autostart", "--show-settings", "general", "x"},
         {.kind = Kind::showSettings, .tab = u"general"_s, .ignored = {u"x"_s}, .autostart = true}},
        {{"--render-windows", "/tmp/w", "x"},
         {.kind = Kind::renderWindows, .path = u"/tmp/w"_s, .ignored = {u"x"_s}}},
        // Switches are taken in their fixed order, whatever their place; only the first
        // occurrence counts; a switch without its items is ignored.
        {{"--hold", "3", "/tmp/h", "--look", "/tmp/a"}, {.kind = Kind::look, .path = u"/tmp/a"_s}},
        {{"--render-windows", "/tmp/w", "--check"}, {.kind = Kind::check}},
        {{"--look", "/tmp/first", "--look", "/tmp/second"},
         {.kind = Kind::look, .path = u"/tmp/first"_s}},
        {{"--check", "--look"}, {.kind = Kind::check}},
        {{"--hold", "/tmp/h"}, {}},
        {{"--render-windows"}, {}},
        {{"--hold", "abc", "/tmp/h"}, {.kind = Kind::hold, .path = u"/tmp/h"_s}}, // 10 seconds
    };
    for (const auto& [items, launch] : cases) {
        QStringList arguments{u"/usr/bin/tisko"_s};
        for (const char* item : items)
            arguments << QString::fromUtf8(item);
        EXPECT_TRUE(LaunchSwitches::scan(arguments) == launch)
            << arguments.join(u' ').toStdString();
    }
}

// Blocks the calling thread for `time` without returning to the event loop, through any
// number of interrupting signals.
void stayStuckFor(std::chrono::seconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end)
        ::poll(nullptr, 0, 100);
}

// SIGTERM ends Tisko even when its main thread never comes back to the event loop.
TEST(TerminationSignals, aSignalEndsTheProcessWhenTheMainThreadIsStuck) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QObject context;
            int quits = 0;
            TerminationSignals::install(
                &context, [&] { ++quits; }, 200);
            ::raise(SIGTERM);
            stayStuckFor(std::chrono::seconds(20));
            ::_exit(quits);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

} // namespace
} // namespace tisko
