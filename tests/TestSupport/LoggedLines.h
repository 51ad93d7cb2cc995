// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringList>

namespace tisko::test {

// The lines of the application's log file so far, once everything queued is written.
QStringList loggedLines();
// The same lines without their stamp and level ("Vigilando: Mesa · cada 180 s").
QStringList loggedMessages();
// The messages of the error lines only.
QStringList loggedErrors();

// The message of one log line, after its stamp and its six-character level.
QString messageOf(const QString& line);

} // namespace tisko::test
