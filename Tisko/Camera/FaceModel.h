#pragma once

#include "Tisko/Camera/LandmarkModel.h"

#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace tisko {

// The landmark model held in memory while something needs it. Every holder of the
// returned pointer shares one model; it is read on a thread of its own, so a camera
// session can acquire it as it starts and the reading overlaps the camera's settle time;
// the memory goes back to the system when the last holder lets go.
class FaceModel {
public:
    // The model from libdlib-data.
    static QString defaultPath();
    // Shares the model already held, or starts reading the one at `path`.
    static std::shared_ptr<FaceModel> acquire(const QString& path = defaultPath());
    // Whether some holder keeps a model in memory now.
    static bool isHeld();

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
    std::thread m_detectorReader;
};

} // namespace tisko
