// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/FaceModel.h"

#include "Tisko/Camera/FaceDetector.h"
#include "Tisko/Camera/LandmarkModelCache.h"
#include "Tisko/Support/Log.h"

#include <QFileInfo>

#include <malloc.h>

#include <atomic>

namespace tisko {

namespace {
std::mutex s_sharedMutex;
std::weak_ptr<FaceModel> s_shared;
std::atomic<bool> s_logsCopies{true};
} // namespace

QString FaceModel::defaultPath() {
    return QStringLiteral("/usr/share/dlib/shape_predictor_68_face_landmarks.dat");
}

std::shared_ptr<FaceModel> FaceModel::acquire(const QString& path) {
    std::lock_guard lock(s_sharedMutex);
    std::shared_ptr<FaceModel> model = s_shared.lock();
    if (model && model->m_path == path)
        return model;
    model = std::shared_ptr<FaceModel>(new FaceModel(path));
    s_shared = model;
    return model;
}

void FaceModel::setLogsCopies(bool logs) {
    s_logsCopies = logs;
}

bool FaceModel::isHeld() {
    std::lock_guard lock(s_sharedMutex);
    return !s_shared.expired();
}

FaceModel::FaceModel(QString path)
    : m_path(std::move(path)) {
    m_reader = std::thread([this] {
        // The face detector's own model too, once per process, so the first frame of the
        // first look does not wait for it either.
        FaceDetector::prepare();
        QString error, rebuilt;
        // The machine's copy when the package made one for this very file: nothing to write.
        if (const auto source = LandmarkModelCache::identify(m_path, nullptr)) {
            if (auto shared = LandmarkModelCache::mapShared(
                    LandmarkModelCache::sharedPathFor(m_path), *source, nullptr)) {
                std::lock_guard lock(m_mutex);
                m_model = std::move(shared);
                m_done = true;
                m_loaded.notify_all();
                return;
            }
        }
        const QString cache = LandmarkModelCache::pathFor(m_path);
        const bool hadCopy = QFileInfo::exists(cache);
        std::unique_ptr<LandmarkModel> model =
            LandmarkModelCache::load(m_path, cache, &error, &rebuilt);
        // The first start makes the copy: an ordinary event, not a copy found wanting.
        if (!rebuilt.isEmpty() && s_logsCopies && !hadCopy && model && model->isMapped())
            Log::info(QStringLiteral("Copia del modelo creada en %1").arg(cache));
        else if (!rebuilt.isEmpty() && s_logsCopies)
            Log::info(QStringLiteral("Copia del modelo de rasgos faciales rehecha en %1 (%2)")
                          .arg(cache, rebuilt));
        if (!model)
            Log::error(
                QStringLiteral("No se pudo cargar el modelo de rasgos faciales: %1").arg(error));
        std::lock_guard lock(m_mutex);
        m_model = std::move(model);
        m_done = true;
        m_loaded.notify_all();
    });
}

FaceModel::~FaceModel() {
    m_reader.join();
    m_model.reset();
    // Give the freed pages back now rather than at some later allocation.
    malloc_trim(0);
}

const LandmarkModel* FaceModel::landmarks() const {
    std::unique_lock lock(m_mutex);
    m_loaded.wait(lock, [this] { return m_done; });
    return m_model.get();
}

} // namespace tisko
