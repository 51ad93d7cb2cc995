// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How the command line picks the kind of launch, and how a signal ends Tisko.
#include "Tisko/App/LaunchSwitches.h"
#include "Tisko/App/TerminationSignals.h"
#include "Tisko/Support/Log.h"

#include "TestFiles.h"

#include <QDir>
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

// What a command line should give: `kind` with its items, the others as when absent.
LaunchSwitches launch(Kind kind, const char* path = "", QStringList ignored = {},
                      double seconds = 10, std::optional<int> width = {}) {
    return {kind, {}, QString::fromUtf8(path), seconds, width, std::move(ignored), false, {}};
}

TEST(LaunchSwitches, eachCommandLineGivesItsLaunch) {
    const std::pair<std::vector<const char*>, LaunchSwitches> cases[] = {
        {{"--unknown", "x"}, launch(Kind::none, "", {u"--unknown"_s, u"x"_s})},
        // A switch's items are its own; what follows them is not.
        {{"--hold", "2.5", "/h", "640", "x"}, launch(Kind::hold, "/h", {u"x"_s}, 2.5, 640)},
        {{"--look", "/tmp/a", "x"}, launch(Kind::look, "/tmp/a", {u"x"_s})},
        {{"--autostart", "--show-settings", "general", "x"},
         {Kind::showSettings, u"general"_s, {}, 10, {}, {u"x"_s}, true, {}}},
        {{"--render-windows", "/tmp/w", "x"}, launch(Kind::renderWindows, "/tmp/w", {u"x"_s})},
        // Switches are taken in their fixed order, whatever their place; only the first
        // occurrence counts; a switch without its items is ignored.
        {{"--hold", "3", "/tmp/h", "--look", "/tmp/a"}, launch(Kind::look, "/tmp/a")},
        {{"--render-windows", "/tmp/w", "--check"}, launch(Kind::check)},
        {{"--look", "/tmp/first", "--look", "/tmp/second"}, launch(Kind::look, "/tmp/first")},
        {{"--check", "--look"}, launch(Kind::check)},
        {{"--hold", "/tmp/h"}, launch(Kind::none)},
        {{"--render-windows"}, launch(Kind::none)},
        {{"--hold", "abc", "/tmp/h"}, launch(Kind::hold, "/tmp/h")}, // 10 seconds
        {{"--hold", "3", "/h", "640"}, launch(Kind::hold, "/h", {}, 3, 640)},
        // A pause takes 1 to 1440 minutes or "tomorrow"; anything else is refused whole.
        {{"--pause", "1440", "x"}, {Kind::pause, {}, {}, 10, {}, {u"x"_s}, false, 1440}},
        {{"--pause", "1"}, {Kind::pause, {}, {}, 10, {}, {}, false, 1}},
        {{"--resume", "--pause", "tomorrow"}, launch(Kind::pause)},
        {{"--pause", "0"}, launch(Kind::invalid, "0")},
        {{"--pause", "1441"}, launch(Kind::invalid, "1441")},
        {{"--pause", "-5"}, launch(Kind::invalid, "-5")},
        {{"--pause", "--resume"}, launch(Kind::invalid, "--resume")},
        {{"--pause"}, launch(Kind::invalid)},
        {{"--render-windows", "/tmp/w", "--resume"}, launch(Kind::resume)},
    };
    for (const auto& [items, expected] : cases) {
        QStringList arguments{u"/usr/bin/tisko"_s};
        for (const char* item : items)
            arguments << QString::fromUtf8(item);
        EXPECT_TRUE(LaunchSwitches::scan(arguments) == expected)
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

// SIGTERM ends Tisko even when its main thread never comes back to the event loop, and the log
// says why.
TEST(TerminationSignals, aSignalEndsTheProcessWhenTheMainThreadIsStuckAndTheLogSaysSo) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The death test's child runs apart: it logs to a folder named after its parent's pid.
    const auto stateOf = [](pid_t parent) {
        return QDir::tempPath() + u"/tisko-stuck-"_s + QString::number(parent);
    };
    QDir(stateOf(::getpid())).removeRecursively();
    EXPECT_EXIT(
        {
            qputenv("XDG_STATE_HOME", stateOf(::getppid()).toLocal8Bit());
            Log::restartForTesting();
            QObject context;
            int quits = 0;
            TerminationSignals::install(
                &context, [&](int) { ++quits; }, 200);
            ::raise(SIGTERM);
            stayStuckFor(std::chrono::seconds(20));
            ::_exit(quits);
        },
        ::testing::KilledBySignal(SIGTERM), "");
    const QString logged =
        QString::fromUtf8(test::readFile(stateOf(::getpid()) + u"/Tisko/Tisko.log"_s));
    EXPECT_TRUE(logged.contains(u"Tisko termina a la fuerza: 0.2 s después de SIGTERM"_s))
        << logged.toStdString();
    QDir(stateOf(::getpid())).removeRecursively();
}

} // namespace
} // namespace tisko
