// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace tisko::TerminationSignals {

// Time a graceful quit gets before the process is ended by force.
constexpr int defaultGraceMs = 5000;

// Runs `quit(signal)` on `context`'s thread when SIGTERM, SIGINT or SIGHUP (the terminal
// Tisko was started from closed) arrives. Should the process still be alive `graceMs` later
// (its main thread stuck, say, on an X server that no longer answers), one line in the log
// says so and the signal ends it as if no handler had been installed; a second signal ends it
// at once.
void install(QObject* context, std::function<void(int signal)> quit, int graceMs = defaultGraceMs);

// The signal's name as the log writes it: "SIGTERM".
QString name(int signal);

} // namespace tisko::TerminationSignals
