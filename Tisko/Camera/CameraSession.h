// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraBackend.h"
#include "Tisko/Camera/CameraDevice.h"
#include "Tisko/Camera/FaceModel.h"
#include "Tisko/Camera/FaceTrack.h"
#include "Tisko/Support/SerialQueue.h"
#include "TiskoCore/HeadMeasurement.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace tisko {

// One capture session on one camera: it opens the camera in its own format, lets the
// picture settle, and hands each analysed frame's measurement (or its absence) to
// `onMeasurement`. Start, stop and every frame run on the session's own serial queue.
class CameraSession : public std::enable_shared_from_this<CameraSession> {
public:
    using Clock = std::chrono::steady_clock;
    // Withdraws a task set with `after`; the task does not run once this has returned
    // (unless it had already begun), and what it holds is let go at once.
    using Cancel = SerialQueue::Cancel;
    // What the session asks of the world; tests replace any of them.
    struct Services {
        std::function<Clock::time_point()> now = [] { return Clock::now(); };
        // Runs `task` once `delay` has passed on `now`'s clock, on a thread of its own;
        // unset means the session's own queue, between its frames.
        std::function<Cancel(Clock::duration delay, std::function<void()> task)> after;
        // Whether another process has the camera running (asked before opening it).
        std::function<bool(const CameraDevice&)> isRunningSomewhere;
        // The analysis of one frame; unset means the face analyzer with the landmark
        // model, which the session then holds from start to stop.
        std::function<std::optional<HeadMeasurement>(const PixelBuffer&)> measure;
    };

    // A session on the camera Cameras::device(cameraID) chooses; null when there is none.
    static std::shared_ptr<CameraSession> create(const std::optional<QString>& cameraID);
    // A session on `device` through `backend`.
    CameraSession(CameraDevice device, std::unique_ptr<CameraBackend> backend, Services services);
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    // Starts on the queue and returns at once; `completion(running)` runs on the queue.
    void start(double settle, std::function<void(bool)> completion);
    // Stops on the queue and returns at once. A stopped session does not start again.
    void stop();
    // "1280x720": width, a lower-case x, height.
    static QString describe(FrameSize size);

    // Receives each analysed frame's result; set before start.
    std::function<void(std::optional<HeadMeasurement>)> onMeasurement;
    // When set, the first format of exactly this width is used; set before start.
    std::optional<int> forcedWidth;
    // Least time between two analysed frames.
    std::chrono::duration<double> minimumGap{0.15};

    // Sends a live picture of every captured frame, mirrored and downscaled on a worker of
    // its own, to `onPicture` on the main thread; set before start. The analysis keeps its
    // pace, and a picture the main thread has not taken yet is replaced by a newer one.
    // Nothing more arrives once `receiver` is gone or the session is stopped.
    void setPreview(QObject* receiver, std::function<void(const QImage&)> onPicture);
    // The size in pixels the pictures fill: the centre of each frame cut to its shape and
    // scaled down to it (never up). Any thread, any time.
    void setPreviewSize(QSize size);
    // Whether the camera is delivering: started, not stopped, not gone away. Any thread.
    bool isRunning() const;

    // The camera, fixed for the session's life.
    const CameraDevice& device() const { return m_device; }
    // Whether another process had the camera running when this session started.
    bool sharedWithAnotherApp() const { return m_shared; }
    // Whether the session did not start because another application holds the camera.
    bool cameraBusy() const { return m_busy; }
    // The chosen format ("1280x720"), known once started.
    QString formatAtStart() const;
    // Every frame the camera delivered, analysed or not.
    int framesSeen() const { return m_framesSeen; }

    // Handles one frame on the queue: the settle time, the gap, then the analysis.
    void handleFrame(const CapturedFrame& frame);
    // Runs `task` on the session's queue.
    void post(std::function<void()> task);
    // Runs `task` after `seconds` on the session's queue (or its services' timer), unless
    // cancelled first.
    Cancel after(double seconds, std::function<void()> task);

    // The label of every session's queue: the application id followed by ".camera".
    static QString queueLabel();
    // For the end of the process: stops every started session, withdraws its pending timeouts
    // and waits, at most `limit`, until their queues are idle. Nothing of the
    // camera's may run once main has returned, when static objects such as the face detector
    // go. False when a queue was still busy at the limit.
    static bool stopAll(std::chrono::milliseconds limit);

private:
    struct Preview;

    void startOnQueue(double settle, const std::function<void(bool)>& completion);
    // The steps of a start: the picture format, the handler the backend calls with each
    // frame (the preview gets it too), and what the start came to.
    std::optional<FrameSize> chooseFormat();
    CameraBackend::FrameHandler frameHandler();
    static void showInPreview(const std::shared_ptr<Preview>& preview,
                              const std::weak_ptr<SerialQueue>& previewQueue,
                              const std::shared_ptr<const CapturedFrame>& frame);
    bool finishStart(bool streaming, const std::optional<FrameSize>& chosen);
    void stopOnQueue();

    const CameraDevice m_device;
    std::unique_ptr<CameraBackend> m_backend;
    Services m_services;
    std::shared_ptr<SerialQueue> m_queue;
    std::shared_ptr<FaceModel> m_model;
    std::atomic<bool> m_shared{false};
    std::atomic<bool> m_busy{false};
    mutable std::mutex m_formatMutex;
    QString m_formatAtStart;
    std::atomic<int> m_framesSeen{0};
    std::shared_ptr<std::atomic<bool>> m_framePending = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<Preview> m_preview;
    // The preview's worker, made by setPreview; frames only hold it weakly.
    std::shared_ptr<SerialQueue> m_previewQueue;
    std::atomic<bool> m_running{false};
    bool m_started = false;
    bool m_stopped = false;
    std::optional<Clock::time_point> m_settleUntil;
    std::optional<Clock::time_point> m_lastAnalysis;
    // Where this session's last analysed frame showed a face; only used on the queue.
    FaceTrack m_track;
};

} // namespace tisko
