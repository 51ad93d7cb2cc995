// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

namespace tisko::test {

// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString& path);
// Writes the bytes as the file's whole content, creating its folder; false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);
// The permission bits of a file or folder (0600...); 0 when it does not exist.
unsigned modeOf(const QString& path);

} // namespace tisko::test
