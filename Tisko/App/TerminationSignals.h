// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

#include <functional>

namespace tisko::TerminationSignals {

// Time a graceful quit gets before the process is ended by force.
constexpr int defaultGraceMs = 5000;

// Runs `quit` on `context`'s thread when SIGTERM or SIGINT arrives. Should the process still
// be alive `graceMs` later (its main thread stuck, say, in a system call), or a second signal
// come, the signal ends it as if no handler had been installed.
void install(QObject* context, std::function<void()> quit, int graceMs = defaultGraceMs);

} // namespace tisko::TerminationSignals
