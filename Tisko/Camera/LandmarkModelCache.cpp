// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/LandmarkModelCache.h"

#include "Tisko/Camera/LandmarkModelParser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tisko {

QString LandmarkModelCache::pathFor(const QString& sourcePath) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Tisko/") + QFileInfo(sourcePath).completeBaseName() +
           QStringLiteral(".landmarks");
}

QString LandmarkModelCache::sharedPathFor(const QString& sourcePath) {
    return QStringLiteral(TISKO_SYSTEM_MODEL_CACHE "/") + QFileInfo(sourcePath).completeBaseName() +
           QStringLiteral(".landmarks");
}

std::unique_ptr<LandmarkModel>
LandmarkModelCache::mapShared(const QString& cachePath,
                              const landmark_cache::SourceIdentity& source, QString* error,
                              uid_t owner) {
    // Whether `path` is a `type` of `owner` that nobody else may write.
    const auto guarded = [owner](const QString& path, mode_t type) {
        struct stat status {};
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0 &&
               (status.st_mode & S_IFMT) == type && status.st_uid == owner &&
               (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
    };
    if (!guarded(QFileInfo(cachePath).absolutePath(), S_IFDIR) || !guarded(cachePath, S_IFREG)) {
        if (error)
            *error = QStringLiteral("%1 no es una copia del sistema de confianza").arg(cachePath);
        return nullptr;
    }
    return map(cachePath, source, error);
}

bool LandmarkModelCache::makeShared(const QString& sourcePath, const QString& folder,
                                    QString* error) {
    const auto source = identify(sourcePath, error);
    if (!source)
        return false;
    const std::unique_ptr<LandmarkModel> model = LandmarkModelParser::load(sourcePath, error);
    const QString path = folder + QLatin1Char('/') + QFileInfo(sourcePath).completeBaseName() +
                         QStringLiteral(".landmarks");
    if (!model || !write(*model, path, *source, error))
        return false;
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    ::chmod(QFile::encodeName(path).constData(), 0644);
    return true;
}

std::optional<landmark_cache::SourceIdentity> LandmarkModelCache::identify(const QString& path,
                                                                           QString* error) {
    QFile file(path);
    struct stat status {};
    if (!file.open(QIODevice::ReadOnly) || fstat(file.handle(), &status) != 0) {
        if (error)
            *error = QStringLiteral("no se puede abrir %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray head = file.read(static_cast<qint64>(landmark_cache::kHeadBytes));
    return landmark_cache::SourceIdentity{
        static_cast<std::uint64_t>(status.st_size),
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec,
        landmark_cache::headHash(reinterpret_cast<const std::uint8_t*>(head.constData()),
                                 static_cast<std::size_t>(head.size()))};
}

std::unique_ptr<LandmarkModel> LandmarkModelCache::map(const QString& cachePath,
                                                       const landmark_cache::SourceIdentity& source,
                                                       QString* error) {
    const auto fail = [&](const QString& why) -> std::unique_ptr<LandmarkModel> {
        if (error)
            *error = why;
        return nullptr;
    };
    const int fd = ::open(QFile::encodeName(cachePath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat status {};
    auto mapping = std::make_unique<LandmarkModel::Mapping>();
    if (fstat(fd, &status) == 0 && status.st_size > 0) {
        mapping->size = static_cast<std::size_t>(status.st_size);
        void* base = mmap(nullptr, mapping->size, PROT_READ, MAP_SHARED, fd, 0);
        mapping->base = base == MAP_FAILED ? nullptr : base;
    }
    ::close(fd);
    if (!mapping->base)
        return fail(QStringLiteral("vacía o ilegible"));
    // A prediction reads one leaf per tree, scattered over the file: read-ahead around each
    // would only fill memory with leaves never used.
    madvise(mapping->base, mapping->size, MADV_RANDOM);

    std::string why;
    const auto view =
        landmark_cache::read(static_cast<const std::uint8_t*>(mapping->base), mapping->size, &why);
    if (!view)
        return fail(QString::fromStdString(why));
    if (view->source != source)
        return fail(QStringLiteral("hecha de otro fichero de modelo"));
    return std::make_unique<LandmarkModel>(*view, std::move(mapping));
}

bool LandmarkModelCache::write(const LandmarkModel& model, const QString& cachePath,
                               const landmark_cache::SourceIdentity& source, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (model.isMapped())
        return fail(QStringLiteral("el modelo ya es una copia"));
    if (!QDir().mkpath(QFileInfo(cachePath).absolutePath()))
        return fail(QStringLiteral("no se puede crear la carpeta de %1").arg(cachePath));
    // Written under a name of its own and renamed over the old copy only when complete, so
    // a reader sees the old file or the new one, never half of one, and two writers at once
    // each rename a whole file.
    QSaveFile file(cachePath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(
            QStringLiteral("no se puede escribir %1: %2").arg(cachePath, file.errorString()));
    const std::string head = landmark_cache::encodeHead(source, model.tables());
    file.write(head.data(), static_cast<qint64>(head.size()));
    file.write(
        reinterpret_cast<const char*>(model.leaves()),
        static_cast<qint64>(model.tables().leafCount * model.meanShape().size() * sizeof(float)));
    if (!file.commit())
        return fail(
            QStringLiteral("no se puede escribir %1: %2").arg(cachePath, file.errorString()));
    return true;
}

std::unique_ptr<LandmarkModel> LandmarkModelCache::load(const QString& sourcePath,
                                                        const QString& cachePath, QString* error,
                                                        QString* rebuilt) {
    const auto source = identify(sourcePath, error);
    if (!source)
        return nullptr;
    QString why;
    if (auto mapped = map(cachePath, *source, &why))
        return mapped;
    if (rebuilt)
        *rebuilt = why;
    std::unique_ptr<LandmarkModel> model = LandmarkModelParser::load(sourcePath, error);
    if (!model)
        return nullptr;
    QString writeError;
    if (!write(*model, cachePath, *source, &writeError)) {
        if (rebuilt)
            *rebuilt += QStringLiteral("; %1").arg(writeError);
        return model;
    }
    model.reset();
    if (auto mapped = map(cachePath, *source, &why))
        return mapped;
    if (rebuilt)
        *rebuilt += QStringLiteral("; la copia nueva no sirve: %1").arg(why);
    return LandmarkModelParser::load(sourcePath, error);
}

} // namespace tisko
