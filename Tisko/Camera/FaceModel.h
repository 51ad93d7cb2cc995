// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/LandmarkModel.h"

#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace tisko {

// The landmark model held while something needs it. Every holder of the returned pointer
// shares one model; it is opened on a thread of its own, so a camera session can acquire it
// as it starts and the opening overlaps the camera's settle time. The model is mapped from
// the flat copy in the user's cache folder, made from the model file the first time or
// whenever the copy is missing, damaged or of another file; the mapping goes when the last
// holder lets go.
class FaceModel {
public:
    // The model from libdlib-data.
    static QString defaultPath();
    // Shares the model already held, or starts reading the one at `path`.
    static std::shared_ptr<FaceModel> acquire(const QString& path = defaultPath());
    // Whether some holder keeps a model in memory now.
    static bool isHeld();
    // Whether remaking the flat copy is logged (on by default; a diagnostic run logs nothing).
    static void setLogsCopies(bool logs);

    // Waits until reading has ended; null when the file could not be read.
    const LandmarkModel* landmarks() const;
    // The file this model comes from.
    const QString& path() const { return m_path; }

    ~FaceModel();
    FaceModel(const FaceModel&) = delete;
    FaceModel& operator=(const FaceModel&) = delete;

private:
    explicit FaceModel(QString path);

    const QString m_path;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_loaded;
    bool m_done = false;
    std::unique_ptr<LandmarkModel> m_model;
    std::thread m_reader;
};

} // namespace tisko
