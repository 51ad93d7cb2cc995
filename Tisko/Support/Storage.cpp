#include "Tisko/Support/Storage.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/PrivateFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace tisko {

namespace {

// Larger data files are not ours: they are set aside rather than read into memory.
constexpr qint64 largestDataFile = 64 * 1024 * 1024;

std::mutex folderMutex;
std::optional<QString> knownFolder;

QString dataHome() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    // Relative values are invalid by the XDG rules and are ignored.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// A name of a file directly in the folder, nothing that climbs out of it.
bool isPlainFileName(const QString& fileName) {
    return !fileName.isEmpty() && fileName != QLatin1String(".") &&
           fileName != QLatin1String("..") && !fileName.contains(QLatin1Char('/')) &&
           !fileName.contains(QChar(0));
}

// Flushes the folder's entry list, so the rename survives a power cut; errors do not matter.
void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
    const QString dir = folder();
    const QByteArray target = QFile::encodeName(dir + QLatin1Char('/') + fileName);
    // mkostemp creates the file 0600 and never reuses a name.
    QByteArray temporary = QFile::encodeName(dir + QStringLiteral("/.") + fileName) + ".XXXXXX";
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
    syncFolder(dir);
    return true;
}

std::optional<QByteArray> Storage::readForLoad(const QString& fileName) {
    if (!isPlainFileName(fileName))
        return std::nullopt;
    const QString path = filePath(fileName);
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() || info.size() == 0)
        return std::nullopt; // nothing there to keep; the next save writes the file
    if (info.size() > largestDataFile) {
        setAside(fileName);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setAside(fileName);
        return std::nullopt;
    }
    QByteArray bytes = file.read(largestDataFile + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > largestDataFile) {
        setAside(fileName);
        return std::nullopt;
    }
    return bytes;
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
