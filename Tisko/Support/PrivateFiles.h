#pragma once

#include <QByteArray>
#include <QString>

// Small POSIX file helpers shared by the log and the data files, which keep both private
// to the user.
namespace tisko::PrivateFiles {

// Creates the folder and any missing parents; the folder itself private to the user (0700).
// Failures are left for the next open or write in it to report.
void makeFolder(const QString& folder);

// Writes all of `bytes` to `fd`, again after interruptions. False with errno set on failure.
bool writeAll(int fd, const QByteArray& bytes);

} // namespace tisko::PrivateFiles
