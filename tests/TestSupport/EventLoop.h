// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QProcess>

#include <chrono>
#include <functional>

namespace tisko::test {

// The application object of the test program; a QCoreApplication unless one exists already.
QCoreApplication& application();

// Runs the event loop until `done` holds or `limit` passes; returns `done`'s last value.
bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(5));

// Runs the event loop for `time`, to see that something does not happen.
void spin(std::chrono::milliseconds time);

// Ends a process the test started: SIGTERM, then SIGKILL when it does not go.
void endProcess(QProcess& process);

} // namespace tisko::test
