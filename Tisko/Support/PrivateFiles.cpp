// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tisko::PrivateFiles {

void makeFolder(const QString& folder) {
    // Each missing folder on the way is made private too: the one above Tisko's own folder
    // may be Tisko's as well ("…/Tisko/instance"), and a new base folder should be 0700 anyway.
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    qsizetype slash = 0;
    while (slash >= 0) {
        slash = path.indexOf(QLatin1Char('/'), slash + 1);
        const QString step = slash < 0 ? path : path.left(slash);
        ::mkdir(QFile::encodeName(step).constData(), 0700);
    }
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        if (written == 0) {
            errno = EIO;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

int openRegular(const QByteArray& path, int flags, unsigned mode) {
    // O_NONBLOCK keeps open(2) from waiting for a writer on a FIFO; it is cleared again once
    // the file is known to be a regular one.
    int fd = -1;
    do {
        fd = ::open(path.constData(), flags | O_NONBLOCK | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int reason = S_ISDIR(status.st_mode) ? EISDIR : ENXIO;
        ::close(fd);
        errno = reason;
        return -1;
    }
    if ((flags & O_NONBLOCK) == 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace tisko::PrivateFiles
