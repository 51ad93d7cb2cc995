// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <chrono>
#include <functional>

namespace tisko {

// Qt's own warnings and errors in Tisko's log, with their category, so that a bug report
// carries them too. They still reach stderr as Qt prints them.
class QtMessages {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Sends Qt's warnings to the log as information and its criticals as errors. The same
    // message again within a minute is counted, not written: its next line says how many
    // were left out, so a flood costs one line a minute. `clock` is for tests.
    static void install(Clock clock = &std::chrono::steady_clock::now);
    // Puts back the handler that was there before.
    static void uninstall();
    // Called with every message of Qt's, after it is logged and printed, for what must act on
    // one (the display gone). One watcher at a time; empty takes it away.
    static void setWatcher(std::function<void(const QString& message)> watcher);
};

} // namespace tisko
