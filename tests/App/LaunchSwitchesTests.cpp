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

QStringList commandLine(const std::vector<const char*>& items) {
    QStringList arguments{QStringLiteral("/usr/bin/tisko")};
    for (const char* item : items)
        arguments << QString::fromUtf8(item);
    return arguments;
}

LaunchSwitches expected(Kind kind, const char* path = "", double seconds = 10,
                        std::optional<int> width = {}, std::optional<QString> tab = {}) {
    return {kind, std::move(tab), QString::fromUtf8(path), seconds, width, {}};
}

LaunchSwitches ignoring(LaunchSwitches launch, const QStringList& ignored) {
    launch.ignored = ignored;
    return launch;
}

LaunchSwitches autostarted(LaunchSwitches launch) {
    launch.autostart = true;
    return launch;
}

TEST(LaunchSwitches, eachCommandLineGivesItsLaunch) {
    const std::pair<std::vector<const char*>, LaunchSwitches> cases[] = {
        {{"--unknown", "x"},
         ignoring(expected(Kind::none), {QStringLiteral("--unknown"), QStringLiteral("x")})},
        // Help and version win wherever they are.
        {{"--look", "/tmp/a", "-h"}, expected(Kind::help)},
        {{"--check", "--version"}, expected(Kind::version)},
        // A switch's items are its own; what follows them is not.
        {{"--hold", "3", "/tmp/h", "640", "extra"},
         ignoring(expected(Kind::hold, "/tmp/h", 3, 640), {QStringLiteral("extra")})},
        {{"--look", "/tmp/a", "x"},
         ignoring(expected(Kind::look, "/tmp/a"), {QStringLiteral("x")})},
        {{"--autostart", "--show-settings", "positions", "extra"},
         autostarted(ignoring(expected(Kind::showSettings, "", 10, {}, QStringLiteral("positions")),
                              {QStringLiteral("extra")}))},
        // Switches are taken in their fixed order, whatever their place.
        {{"--hold", "3", "/tmp/h", "--look", "/tmp/a"}, expected(Kind::look, "/tmp/a")},
        {{"--check", "--show-settings"}, expected(Kind::showSettings)},
        {{"--render-windows", "/tmp/w", "--check"}, expected(Kind::check)},
        {{"--render-windows", "/tmp/w", "x"},
         ignoring(expected(Kind::renderWindows, "/tmp/w"), {QStringLiteral("x")})},
        // A switch without its items is ignored.
        {{"--check", "--look"}, expected(Kind::check)},
        {{"--hold", "/tmp/h"}, expected(Kind::none)},
        {{"--render-windows"}, expected(Kind::none)},
        // Only the first occurrence counts; the item after a switch is its path, even "--check".
        {{"--look", "/tmp/first", "--look", "/tmp/second"}, expected(Kind::look, "/tmp/first")},
        {{"--look", "--check"}, expected(Kind::look, "--check")},
        // --hold reads seconds (10 when not a finite number) and an optional width that fits 32
        // bits.
        {{"--hold", "2.5", "/tmp/h", "1280"}, expected(Kind::hold, "/tmp/h", 2.5, 1280)},
        {{"--hold", "abc", "/tmp/h"}, expected(Kind::hold, "/tmp/h")},
        {{"--hold", "inf", "/tmp/h"}, expected(Kind::hold, "/tmp/h")},
        {{"--hold", "3", "/tmp/h", "2147483648"}, expected(Kind::hold, "/tmp/h", 3)},
    };
    for (const auto& [items, launch] : cases) {
        const QStringList arguments = commandLine(items);
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
