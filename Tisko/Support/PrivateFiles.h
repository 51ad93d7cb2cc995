// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// Small POSIX file helpers shared by the log and the data files, which keep both private
// to the user.
namespace tisko::PrivateFiles {

// Creates the folder and any missing parents, each private to the user (0700).
// Failures are left for the next open or write in it to report.
void makeFolder(const QString& folder);

// Writes all of `bytes` to `fd`, again after interruptions. False with errno set on failure.
bool writeAll(int fd, const QByteArray& bytes);

// Opens `path` with `flags` (O_CLOEXEC is added) only when it is a regular file, or creates one
// when `flags` holds O_CREAT. A FIFO, device, socket or folder in its place is refused without
// blocking: -1 with errno ENXIO (EISDIR for a folder). Other failures keep open(2)'s errno.
int openRegular(const QByteArray& path, int flags, unsigned mode = 0600);

} // namespace tisko::PrivateFiles
