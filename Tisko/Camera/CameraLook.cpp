// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/CameraLook.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "Tisko/Support/Log.h"

#include <mutex>
#include <vector>

namespace tisko {

namespace {

// The frames of one look; the lock makes taking a sample and the three endings (enough
// frames, the timeout, a failed start) exclusive, and `done` lets only one end it.
struct Collector {
    std::mutex lock;
    std::vector<std::optional<HeadMeasurement>> samples;
    bool done = false;
    // Withdraws the pending timeout, which holds the session.
    CameraSession::Cancel cancelTimeout;

    // Adds a frame's result and returns the number of samples; 0 once the look is over.
    std::size_t add(const std::optional<HeadMeasurement>& sample) {
        std::lock_guard guard(lock);
        if (done)
            return 0;
        samples.push_back(sample);
        return samples.size();
    }
};

void deliver(std::function<void(const LookResult&)> completion, LookResult result) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        Log::error(QStringLiteral("Mirada sin bucle principal: el resultado se pierde"));
        return;
    }
    QMetaObject::invokeMethod(
        app,
        [completion = std::move(completion), result = std::move(result)] { completion(result); },
        Qt::QueuedConnection);
}

} // namespace

void CameraLook::take(const std::optional<QString>& cameraID, int frames, double timeout,
                      std::function<void(const LookResult&)> completion) {
    take(CameraSession::create(cameraID), frames, timeout, std::move(completion));
}

namespace {

// What a look that ran saw: the median of the frames with a face.
LookResult lookOf(CameraSession& session,
                  const std::vector<std::optional<HeadMeasurement>>& samples) {
    std::vector<HeadMeasurement> faces;
    for (const auto& sample : samples) {
        if (sample)
            faces.push_back(*sample);
    }
    LookResult result;
    result.measurement = HeadMeasurement::median(faces);
    result.analysed = static_cast<int>(samples.size());
    result.withFace = static_cast<int>(faces.size());
    result.cameraID = session.device().uniqueID;
    result.sharedWithAnotherApp = session.sharedWithAnotherApp();
    result.format = session.formatAtStart();
    result.failed = false;
    return result;
}

// A look whose camera did not start, and whether another program holds it.
LookResult failedStart(CameraSession& session) {
    LookResult result;
    result.failed = true;
    result.cameraID = session.device().uniqueID;
    result.sharedWithAnotherApp = session.sharedWithAnotherApp();
    result.cameraBusy = session.cameraBusy();
    return result;
}

} // namespace

void CameraLook::take(std::shared_ptr<CameraSession> session, int frames, double timeout,
                      std::function<void(const LookResult&)> completion) {
    if (!session) {
        LookResult result;
        result.failed = true;
        deliver(std::move(completion), result);
        return;
    }
    auto collector = std::make_shared<Collector>();

    // Reached by the frame count or by the timeout, whichever comes first.
    auto ending = [collector, session, completion] {
        std::vector<std::optional<HeadMeasurement>> samples;
        CameraSession::Cancel cancelTimeout;
        {
            std::lock_guard guard(collector->lock);
            if (collector->done)
                return;
            collector->done = true;
            samples = std::move(collector->samples);
            cancelTimeout = std::move(collector->cancelTimeout);
        }
        session->stop();
        // The session and the landmark model go now, not when the timeout would have come.
        if (cancelTimeout)
            cancelTimeout();
        deliver(completion, lookOf(*session, samples));
    };

    const auto wanted = static_cast<std::size_t>(std::max(frames, 1));
    session->onMeasurement = [collector, ending, wanted](std::optional<HeadMeasurement> sample) {
        if (collector->add(sample) >= wanted)
            ending();
    };
    session->start(settle, [collector, session, ending, timeout, completion](bool started) {
        if (started) {
            // On the session's queue, before any frame can end the look.
            CameraSession::Cancel cancel = session->after(timeout, ending);
            std::lock_guard guard(collector->lock);
            collector->cancelTimeout = std::move(cancel);
            return;
        }
        {
            std::lock_guard guard(collector->lock);
            if (collector->done)
                return;
            collector->done = true;
        }
        session->stop();
        deliver(completion, failedStart(*session));
    });
}

} // namespace tisko
