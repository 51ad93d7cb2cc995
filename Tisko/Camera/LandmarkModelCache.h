// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/LandmarkModel.h"
#include "TiskoCore/LandmarkCache.h"

#include <QString>

#include <memory>
#include <optional>

namespace tisko {

// The flat copy of a landmark model file that Tisko keeps in the user's cache folder: a
// model mapped from it costs a system call to open, and the kernel may drop its pages again
// at any time.
class LandmarkModelCache {
public:
    LandmarkModelCache() = delete;

    // Where the flat copy of the model file at `sourcePath` is kept ($XDG_CACHE_HOME/Tisko).
    static QString pathFor(const QString& sourcePath);
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
