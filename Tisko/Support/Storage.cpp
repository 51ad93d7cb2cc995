// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/Storage.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/PrivateFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace tisko {

namespace {

// Temporary files of saves this old were left by a save that was interrupted; a save in
// progress (of this Tisko or another) takes milliseconds.
constexpr time_t staleTemporaryAge = 60;
// Chains of symbolic links longer than this are taken for loops.
constexpr int longestLinkChain = 40;

std::mutex folderMutex;
std::optional<QString> knownFolder;
// Files a load found but could not read: a save would replace data never seen.
std::set<QString> unreadFiles;

QString dataHome() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    // Relative values are invalid by the XDG rules and are ignored.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString errnoText(int error) {
    if (error == EISDIR)
        return QStringLiteral("es una carpeta");
    if (error == ENXIO)
        return QStringLiteral("no es un archivo normal");
    return QString::fromLocal8Bit(std::strerror(error));
}

// A name of a file directly in the folder, nothing that climbs out of it.
bool isPlainFileName(const QString& fileName) {
    return !fileName.isEmpty() && fileName != QLatin1String(".") &&
           fileName != QLatin1String("..") && !fileName.contains(QLatin1Char('/')) &&
           !fileName.contains(QChar(0));
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// The file a save replaces: the path itself, or the end of the chain of symbolic links that
// starts there (a data file may live in a synced folder, linked from ours). Empty, with errno
// set, when the chain loops.
QByteArray saveTarget(QByteArray path) {
    for (int hop = 0; hop < longestLinkChain; ++hop) {
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), buffer, sizeof buffer);
        if (length < 0)
            return path; // not a link (or not there yet): this is the file
        if (std::size_t(length) == sizeof buffer) {
            errno = ENAMETOOLONG;
            return {};
        }
        QByteArray link(buffer, length);
        path = link.startsWith('/') ? link : folderOf(path) + '/' + link;
    }
    errno = ELOOP;
    return {};
}

// The temporary file of a save: the target's name, hidden, with mkostemp's six characters.
QByteArray temporaryTemplate(const QByteArray& target) {
    return folderOf(target) + "/." + nameOf(target) + ".XXXXXX";
}

bool isTemporaryOf(const QByteArray& name, const QByteArray& target) {
    const QByteArray prefix = "." + nameOf(target) + ".";
    if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
        return false;
    return std::all_of(name.end() - 6, name.end(), [](char c) { return std::isalnum(uchar(c)); });
}

// Removes the regular files that interrupted saves of `target` left behind, and says how many.
int removeStaleTemporaryFiles(const QByteArray& target) {
    DIR* folder = ::opendir(folderOf(target).constData());
    if (!folder)
        return 0;
    const time_t staleBefore = ::time(nullptr) - staleTemporaryAge;
    int removed = 0;
    while (const dirent* entry = ::readdir(folder)) {
        struct stat status {};
        if (isTemporaryOf(QByteArray(entry->d_name), target) &&
            ::fstatat(::dirfd(folder), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) && status.st_mtime < staleBefore &&
            ::unlinkat(::dirfd(folder), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(folder);
    return removed;
}

// What reading a data file found. Nothing at all is not an error; neither is an empty file.
struct FileContent {
    enum class Kind { nothing, content, tooLarge, unreadable } kind = Kind::nothing;
    QByteArray bytes;
    int error = 0;
};

// Reads a data file without leaving a trace; only regular files, so a FIFO never blocks.
FileContent readDataFile(const QString& path) {
    using Kind = FileContent::Kind;
    const int fd = PrivateFiles::openRegular(QFile::encodeName(path), O_RDONLY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return {};
        return {Kind::unreadable, {}, error};
    }
    FileContent read{Kind::content, {}, 0};
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t length = ::read(fd, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length < 0) {
            read = {Kind::unreadable, {}, errno};
            break;
        }
        if (length == 0)
            break;
        read.bytes.append(buffer, length);
        if (std::size_t(read.bytes.size()) > largestJsonDocument) {
            read = {Kind::tooLarge, {}, 0};
            break;
        }
    }
    ::close(fd);
    if (read.kind == Kind::content && read.bytes.isEmpty())
        return {};
    return read;
}

// Flushes the folder's entry list, so the rename survives a power cut; errors do not matter.
void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString Storage::folder() {
    std::lock_guard lock(folderMutex);
    if (!knownFolder) {
        const QString folder = dataHome() + QStringLiteral("/Tisko");
        // Failures are ignored here: the next write into the folder fails and says why.
        PrivateFiles::makeFolder(folder);
        knownFolder = folder;
    }
    return *knownFolder;
}

QString Storage::filePath(const QString& fileName) {
    return folder() + QLatin1Char('/') + fileName;
}

void Storage::forgetFolderForTesting() {
    std::lock_guard lock(folderMutex);
    knownFolder.reset();
    unreadFiles.clear();
}

void Storage::reportSaveFailure(const QString& fileName, const QString& reason) {
    Log::error(QStringLiteral("No se ha podido guardar ") + fileName + QStringLiteral(": ") +
               reason);
}

bool Storage::write(const QString& fileName, const QByteArray& bytes) {
    if (!isPlainFileName(fileName)) {
        reportSaveFailure(fileName, QStringLiteral("nombre de archivo no válido"));
        return false;
    }
    if (std::size_t(bytes.size()) > largestJsonDocument) {
        reportSaveFailure(fileName, QStringLiteral("ocuparía más de %1 MB, más de lo que se lee")
                                        .arg(largestJsonDocument / (1024 * 1024)));
        return false;
    }
    {
        std::lock_guard lock(folderMutex);
        if (unreadFiles.contains(fileName)) {
            reportSaveFailure(fileName, QStringLiteral("no se ha podido leer y no se reemplaza"));
            return false;
        }
    }
    const QByteArray target = saveTarget(QFile::encodeName(filePath(fileName)));
    if (target.isEmpty()) {
        reportSaveFailure(fileName, errnoText(errno));
        return false;
    }
    // mkostemp creates the file 0600 and never reuses a name.
    QByteArray temporary = temporaryTemplate(target);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        reportSaveFailure(fileName, errnoText(errno));
        return false;
    }
    const auto fail = [&](int error) {
        ::unlink(temporary.constData());
        reportSaveFailure(fileName, errnoText(error));
        return false;
    };
    if (!PrivateFiles::writeAll(fd, bytes) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(error);
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(temporary.constData(), target.constData()) != 0)
        return fail(errno);
    syncFolder(folderOf(target));
    return true;
}

std::optional<QByteArray> Storage::readForLoad(const QString& fileName) {
    if (!isPlainFileName(fileName))
        return std::nullopt;
    const QString path = filePath(fileName);
    const QByteArray target = saveTarget(QFile::encodeName(path));
    if (const int removed = target.isEmpty() ? 0 : removeStaleTemporaryFiles(target))
        Log::info(QStringLiteral("Borrados %1 archivos temporales de guardados interrumpidos de ")
                      .arg(removed) +
                  fileName);
    FileContent read = readDataFile(path);
    {
        std::lock_guard lock(folderMutex);
        if (read.kind == FileContent::Kind::unreadable)
            unreadFiles.insert(fileName);
        else
            unreadFiles.erase(fileName);
    }
    switch (read.kind) {
    case FileContent::Kind::nothing:
        return std::nullopt; // nothing there to keep; the next save writes the file
    case FileContent::Kind::tooLarge:
        setAside(fileName); // Tisko never writes one this large
        return std::nullopt;
    case FileContent::Kind::unreadable:
        Log::error(QStringLiteral("No se puede leer ") + fileName + QStringLiteral(": ") +
                   errnoText(read.error) + QStringLiteral("; se deja como está"));
        return std::nullopt;
    case FileContent::Kind::content:
        break;
    }
    return std::move(read.bytes);
}

std::optional<QByteArray> Storage::readQuietly(const QString& fileName) {
    if (!isPlainFileName(fileName))
        return std::nullopt;
    QString folder;
    {
        std::lock_guard lock(folderMutex);
        folder = knownFolder.value_or(dataHome() + QStringLiteral("/Tisko"));
    }
    FileContent read = readDataFile(folder + QLatin1Char('/') + fileName);
    if (read.kind != FileContent::Kind::content)
        return std::nullopt;
    return std::move(read.bytes);
}

void Storage::setAside(const QString& fileName) {
    const QString path = filePath(fileName);
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString base = fileName + QStringLiteral(".damaged-") + stamp;
    // QFile::rename never replaces an existing file, so an earlier copy is never lost.
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const QString name =
            attempt == 1 ? base : base + QLatin1Char('-') + QString::number(attempt);
        if (QFile::exists(folder() + QLatin1Char('/') + name))
            continue;
        QFile file(path);
        if (file.rename(folder() + QLatin1Char('/') + name)) {
            Log::error(QStringLiteral("El archivo ") + fileName +
                       QStringLiteral(" estaba dañado y se ha apartado como ") + name);
            return;
        }
        Log::error(QStringLiteral("El archivo ") + fileName +
                   QStringLiteral(" estaba dañado y no se ha podido apartar: ") +
                   file.errorString());
        return;
    }
}

} // namespace tisko
