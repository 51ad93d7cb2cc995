// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace tisko {

// The application's log: each message goes to the systemd journal and to
// $XDG_STATE_HOME/Tisko/Tisko.log. Callable from any thread; the caller never waits for the
// disk. Lines reach the file whole and in the order of the calls.
class Log {
public:
    Log() = delete;

    // Logs an informational message.
    static void info(const QString& message);
    // Logs an error.
    static void error(const QString& message);
    // Returns once every message logged before the call is in the file.
    static void flush();
    // The log file: $XDG_STATE_HOME (or ~/.local/state) + "/Tisko/Tisko.log".
    static QString filePath();

    // Tests only: writes what is queued, and the next message looks up the file again from
    // the environment (each test has its own temporary home).
    static void restartForTesting();
};

} // namespace tisko
