// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace tisko {

// The two levels of a log line.
enum class LogLevel { info, error };

// The operating system's log, where every line also goes.
class SystemLog {
public:
    virtual ~SystemLog() = default;
    // Hands one finished message to the system log; never fails towards the caller.
    virtual void write(LogLevel level, const QString& message) = 0;
};

} // namespace tisko
