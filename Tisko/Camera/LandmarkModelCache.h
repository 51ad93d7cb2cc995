// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/LandmarkModel.h"
#include "TiskoCore/LandmarkCache.h"

#include <QString>

#include <memory>
#include <optional>

#include <sys/types.h>

namespace tisko {

// The flat copy of a landmark model file that Tisko keeps in the user's cache folder: a
// model mapped from it costs a system call to open, and the kernel may drop its pages again
// at any time.
class LandmarkModelCache {
public:
    LandmarkModelCache() = delete;

    // Where the flat copy of the model file at `sourcePath` is kept ($XDG_CACHE_HOME/Tisko).
    static QString pathFor(const QString& sourcePath);
    // Where the machine's shared copy would be (in /var/cache/tisko), made by the package.
    static QString sharedPathFor(const QString& sourcePath);
    // Maps the shared copy at `cachePath` if the file and its folder belong to `owner` (root
    // for the machine's copy), no one else may write them, and the copy checks out in full
    // and was made from `source`. Anything else is not trusted.
    static std::unique_ptr<LandmarkModel> mapShared(const QString& cachePath,
                                                    const landmark_cache::SourceIdentity& source,
                                                    QString* error, uid_t owner = 0);
    // Makes the shared copy of the model file at `sourcePath` in `folder`, readable by all
    // (the package runs it as root at install and when the model's package changes).
    static bool makeShared(const QString& sourcePath, const QString& folder, QString* error);
    // Size, modification time and a hash of the first bytes of the file at `path`.
    static std::optional<landmark_cache::SourceIdentity> identify(const QString& path,
                                                                  QString* error);
    // Maps the flat copy at `cachePath` if it checks out in full and was made from `source`.
    static std::unique_ptr<LandmarkModel>
    map(const QString& cachePath, const landmark_cache::SourceIdentity& source, QString* error);
    // The flat copy when it is valid for the model file at `sourcePath`; otherwise the copy is
    // made again from the source (written aside, then renamed over) and mapped. `rebuilt` gets
    // why the old copy could not be used, or stays empty. When the copy cannot be written the
    // model read from the source is returned.
    static std::unique_ptr<LandmarkModel> load(const QString& sourcePath, const QString& cachePath,
                                               QString* error, QString* rebuilt = nullptr);
    // Writes `model`, read from a file, as a flat copy made from `source`, atomically.
    static bool write(const LandmarkModel& model, const QString& cachePath,
                      const landmark_cache::SourceIdentity& source, QString* error);
};

} // namespace tisko
