// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/CameraSession.h"

#include "Tisko/Camera/CameraUsage.h"
#include "Tisko/Camera/Cameras.h"
#include "Tisko/Camera/FaceAnalyzer.h"
#include "Tisko/Camera/FaceDetector.h"
#include "Tisko/Camera/PipeWireBackend.h"
#include "Tisko/Camera/SampleBackend.h"
#include "Tisko/Camera/SharedWebcamBackend.h"
#include "Tisko/Camera/V4l2Backend.h"

#include <QCoreApplication>
#include <QPointer>

#include <condition_variable>
#include <vector>

namespace tisko {

namespace {

QImage::Format imageFormat(PixelFormat format) {
    switch (format) {
    case PixelFormat::Grey8:
        return QImage::Format_Grayscale8;
    case PixelFormat::Rgb24:
        return QImage::Format_RGB888;
    case PixelFormat::Bgr24:
        return QImage::Format_BGR888;
    case PixelFormat::Bgra32:
        return QImage::Format_RGB32; // B, G, R, A in memory on a little-endian machine
    }
    return QImage::Format_Invalid;
}

// The frame as the user sees themselves: the centre cut to the shape of `size`, scaled
// down to it, mirrored, in the format the screen draws fastest. Null without pixels.
QImage previewPicture(const CapturedFrame& frame, QSize size) {
    const std::optional<PixelBuffer> pixels = frame.pixels();
    if (!pixels)
        return {};
    PixelBuffer part = *pixels;
    if (!size.isEmpty()) {
        const qint64 wide = static_cast<qint64>(part.width) * size.height();
        const qint64 tall = static_cast<qint64>(part.height) * size.width();
        if (wide > tall) {
            const auto width = static_cast<int>(tall / size.height());
            part = part.region((part.width - width) / 2, 0, std::max(width, 1), part.height);
        } else if (tall > wide) {
            const auto height = static_cast<int>(wide / size.width());
            part = part.region(0, (part.height - height) / 2, part.width, std::max(height, 1));
        }
    }
    // A view of the camera's bytes: every step below makes a picture of its own.
    const QImage source(part.data, part.width, part.height,
                        static_cast<qsizetype>(part.bytesPerLine), imageFormat(part.format));
    QImage picture = !size.isEmpty() && size.width() < part.width
                         ? source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         : source.copy();
    return std::move(picture).convertToFormat(QImage::Format_RGB32).mirrored(true, false);
}

// Every session that was started, so that the end of the process can stop them all.
struct StartedSessions {
    std::mutex mutex;
    std::vector<std::weak_ptr<CameraSession>> sessions;

    static StartedSessions& shared() {
        static auto* started = new StartedSessions; // never destroyed: sessions may outlive main
        return *started;
    }
    void add(const std::weak_ptr<CameraSession>& session) {
        std::lock_guard lock(mutex);
        std::erase_if(sessions, [](const auto& s) { return s.expired(); });
        sessions.push_back(session);
    }
    std::vector<std::shared_ptr<CameraSession>> alive() {
        std::lock_guard lock(mutex);
        std::vector<std::shared_ptr<CameraSession>> found;
        for (const auto& weak : sessions) {
            if (auto session = weak.lock())
                found.push_back(std::move(session));
        }
        return found;
    }
};

// Counts down the queues that have yet to reach the end of what was queued on them.
struct QueuesDrained {
    std::mutex mutex;
    std::condition_variable drained;
    std::size_t left = 0;

    void one() {
        std::lock_guard lock(mutex);
        --left;
        drained.notify_all();
    }
};

} // namespace

// What the preview worker and the main thread share.
struct CameraSession::Preview {
    std::mutex mutex;
    QPointer<QObject> receiver;
    std::function<void(const QImage&)> onPicture;
    QSize size{960, 540};
    QImage waiting;                // made, not yet taken by the main thread
    bool handingOver = false;      // a hand-over to the main thread is queued
    std::atomic<bool> busy{false}; // the worker is making a picture
    std::atomic<bool> active{false};

    // Takes `picture` in place of any still waiting, and queues one hand-over for both.
    static void deliver(const std::shared_ptr<Preview>& preview, QImage picture) {
        std::lock_guard lock(preview->mutex);
        preview->waiting = std::move(picture);
        if (preview->handingOver)
            return;
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return;
        preview->handingOver = true;
        QMetaObject::invokeMethod(
            app,
            [preview] {
                QImage newest;
                QPointer<QObject> receiver;
                std::function<void(const QImage&)> onPicture;
                {
                    std::lock_guard inner(preview->mutex);
                    preview->handingOver = false;
                    newest = std::move(preview->waiting);
                    preview->waiting = QImage();
                    receiver = preview->receiver;
                    onPicture = preview->onPicture;
                }
                if (receiver && onPicture && preview->active && !newest.isNull())
                    onPicture(newest);
            },
            Qt::QueuedConnection);
    }
};

QString CameraSession::queueLabel() {
    return QStringLiteral(TISKO_APP_ID ".camera");
}

std::shared_ptr<CameraSession> CameraSession::create(const std::optional<QString>& cameraID) {
    const std::optional<CameraDevice> device = Cameras::device(cameraID);
    if (!device)
        return nullptr;
    std::unique_ptr<CameraBackend> backend;
    if (device->kind == CameraDevice::Kind::Sample)
        backend = std::make_unique<SampleBackend>(device->path);
    else if (device->kind == CameraDevice::Kind::PipeWire)
        backend = std::make_unique<PipeWireBackend>(device->path, PipeWireCameras::shared());
    else
        backend = std::make_unique<V4l2Backend>(device->path, V4l2System::real());
    if (device->kind == CameraDevice::Kind::V4l2 && !device->pipeWireNode.isEmpty())
        backend = std::make_unique<SharedWebcamBackend>(std::move(backend), device->pipeWireNode,
                                                        PipeWireCameras::shared());
    Services services;
    services.isRunningSomewhere = [](const CameraDevice& camera) {
        return CameraUsage::isRunningSomewhere(camera);
    };
    return std::make_shared<CameraSession>(*device, std::move(backend), std::move(services));
}

CameraSession::CameraSession(CameraDevice device, std::unique_ptr<CameraBackend> backend,
                             Services services)
    : m_device(std::move(device))
    , m_backend(std::move(backend))
    , m_services(std::move(services))
    , m_queue(std::make_shared<SerialQueue>(queueLabel()))
    , m_preview(std::make_shared<Preview>()) {
    if (!m_services.now)
        m_services.now = [] { return Clock::now(); };
}

CameraSession::~CameraSession() {
    // The camera closes even when nobody stopped the session.
    m_backend.reset();
}

QString CameraSession::describe(FrameSize size) {
    return QStringLiteral("%1x%2").arg(size.width).arg(size.height);
}

QString CameraSession::formatAtStart() const {
    std::lock_guard lock(m_formatMutex);
    return m_formatAtStart;
}

void CameraSession::setPreview(QObject* receiver, std::function<void(const QImage&)> onPicture) {
    {
        std::lock_guard lock(m_preview->mutex);
        m_preview->receiver = receiver;
        m_preview->onPicture = std::move(onPicture);
    }
    if (!m_previewQueue)
        m_previewQueue = std::make_shared<SerialQueue>(QStringLiteral(TISKO_APP_ID ".preview"));
    m_preview->active = receiver != nullptr;
}

void CameraSession::setPreviewSize(QSize size) {
    std::lock_guard lock(m_preview->mutex);
    m_preview->size = size;
}

bool CameraSession::isRunning() const {
    return m_running && m_backend->isRunning();
}

void CameraSession::post(std::function<void()> task) {
    m_queue->async(std::move(task));
}

CameraSession::Cancel CameraSession::after(double seconds, std::function<void()> task) {
    // A week is more than any look waits; beyond it the conversion would overflow.
    constexpr double longestDelay = 7 * 24 * 3600.0;
    const double delay = seconds > 0 ? std::min(seconds, longestDelay) : 0.0;
    const auto wait =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(delay));
    if (m_services.after)
        return m_services.after(wait, std::move(task));
    return m_queue->after(wait, std::move(task));
}

bool CameraSession::stopAll(std::chrono::milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    const std::vector<std::shared_ptr<CameraSession>> sessions = StartedSessions::shared().alive();
    auto queues = std::make_shared<QueuesDrained>();
    for (const std::shared_ptr<CameraSession>& session : sessions) {
        // A look's timeout holds its session: withdrawn, it lets the session go. Withdrawn
        // first, so none begins behind the marker below.
        session->m_queue->withdrawTimed();
        session->stop();
        // The preview worker last, after whatever the camera's queue hands it.
        const std::shared_ptr<SerialQueue> preview = session->m_previewQueue;
        std::lock_guard lock(queues->mutex);
        ++queues->left;
        session->post([queues, preview] {
            if (preview)
                preview->async([queues] { queues->one(); });
            else
                queues->one();
        });
    }
    bool drained = false;
    {
        std::unique_lock lock(queues->mutex);
        drained = queues->drained.wait_until(lock, deadline, [&] { return queues->left == 0; });
    }
    if (!drained) {
        // Let go here, a session would wait for its busy queue: its queue lets go of it.
        for (const std::shared_ptr<CameraSession>& session : sessions)
            session->post([held = session] {});
    }
    return drained;
}

void CameraSession::start(double settle, std::function<void(bool)> completion) {
    auto self = shared_from_this();
    StartedSessions::shared().add(self);
    post([self, settle, completion = std::move(completion)] {
        self->startOnQueue(settle, completion);
    });
}

void CameraSession::stop() {
    auto self = shared_from_this();
    post([self] { self->stopOnQueue(); });
}

void CameraSession::startOnQueue(double settle, const std::function<void(bool)>& completion) {
    if (m_started || m_stopped) {
        completion(false);
        return;
    }
    m_started = true;
    // The landmark model loads while the camera opens and settles.
    if (!m_services.measure)
        m_model = FaceModel::acquire();
    // Asked before this session touches the camera, so a yes comes from someone else.
    m_shared = m_services.isRunningSomewhere ? m_services.isRunningSomewhere(m_device) : false;
    if (!m_backend->open()) {
        m_busy = m_backend->busy();
        m_model.reset();
        completion(false);
        return;
    }
    const std::optional<FrameSize> chosen = chooseFormat();
    // The settle time includes the time the stream takes to start.
    m_settleUntil = m_services.now() + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(settle));
    const bool streaming = m_backend->start(frameHandler());
    completion(finishStart(streaming, chosen));
}

std::optional<FrameSize> CameraSession::chooseFormat() {
    // The camera's own format, or the first of exactly the forced width.
    std::optional<FrameSize> chosen = m_backend->activeFormat();
    if (forcedWidth) {
        for (const FrameSize& size : m_backend->formats()) {
            if (size.width == *forcedWidth) {
                chosen = size;
                break;
            }
        }
    }
    {
        std::lock_guard lock(m_formatMutex);
        m_formatAtStart = chosen ? describe(*chosen) : QString();
    }
    // Setting the format may fail; the camera then runs with what it has.
    if (chosen)
        m_backend->setFormat(*chosen);
    return chosen;
}

CameraBackend::FrameHandler CameraSession::frameHandler() {
    // The handler runs on the backend's thread and never holds the session there, so the
    // session cannot end on that thread.
    const std::weak_ptr<CameraSession> weak = weak_from_this();
    const std::shared_ptr<SerialQueue> queue = m_queue;
    const std::shared_ptr<std::atomic<bool>> pending = m_framePending;
    const std::shared_ptr<Preview> preview = m_preview;
    const std::weak_ptr<SerialQueue> previewQueue = m_previewQueue;
    return
        [weak, queue, pending, preview, previewQueue](std::shared_ptr<const CapturedFrame> frame) {
            showInPreview(preview, previewQueue, frame);
            // A frame that arrives while the previous one still waits is late: drop it.
            if (pending->exchange(true))
                return;
            queue->async([weak, pending, frame = std::move(frame)] {
                *pending = false;
                if (const auto owner = weak.lock())
                    owner->handleFrame(*frame);
            });
        };
}

void CameraSession::showInPreview(const std::shared_ptr<Preview>& preview,
                                  const std::weak_ptr<SerialQueue>& previewQueue,
                                  const std::shared_ptr<const CapturedFrame>& frame) {
    // Every frame goes to the preview, on its own worker, unless that worker is still busy
    // with the one before.
    if (!preview->active || preview->busy.exchange(true))
        return;
    const auto worker = previewQueue.lock();
    if (!worker) {
        preview->busy = false;
        return;
    }
    worker->async([preview, frame] {
        QSize size;
        {
            std::lock_guard lock(preview->mutex);
            size = preview->size;
        }
        QImage picture = previewPicture(*frame, size);
        preview->busy = false;
        if (!picture.isNull())
            Preview::deliver(preview, std::move(picture));
    });
}

bool CameraSession::finishStart(bool streaming, const std::optional<FrameSize>& chosen) {
    const bool running = streaming && m_backend->isRunning();
    m_running = running;
    if (running && m_backend->joinedAnotherConsumer())
        m_shared = true;
    // A PipeWire camera tells its size only once the stream has agreed on a format.
    if (running && !chosen) {
        const std::optional<FrameSize> negotiated = m_backend->activeFormat();
        std::lock_guard lock(m_formatMutex);
        m_formatAtStart = negotiated ? describe(*negotiated) : QString();
    }
    if (!running) {
        // Another process streaming from the camera explains a stream that will not start.
        m_busy = m_backend->busy() || m_shared;
        m_model.reset();
    }
    return running;
}

void CameraSession::handleFrame(const CapturedFrame& frame) {
    ++m_framesSeen;
    if (!m_started || m_stopped)
        return;
    const Clock::time_point now = m_services.now();
    if (m_settleUntil && now < *m_settleUntil)
        return;
    if (m_lastAnalysis && now - *m_lastAnalysis < minimumGap)
        return;
    const std::optional<PixelBuffer> pixels = frame.pixels();
    if (!pixels)
        return;
    m_lastAnalysis = now;
    std::optional<HeadMeasurement> result;
    if (m_services.measure)
        result = m_services.measure(*pixels);
    else if (m_model)
        result = FaceAnalyzer::measure(*pixels, *m_model, m_track);
    if (onMeasurement)
        onMeasurement(result);
}

void CameraSession::stopOnQueue() {
    if (m_stopped)
        return;
    m_stopped = true;
    m_running = false;
    m_preview->active = false;
    m_backend->stop();
    {
        std::lock_guard lock(m_preview->mutex);
        m_preview->onPicture = nullptr;
        m_preview->waiting = QImage();
    }
    onMeasurement = nullptr;
    m_track.reset();
    // Frames were analysed on this queue: its buffers go before the model, whose last holder
    // gives the freed memory back to the system.
    FaceDetector::releaseBuffers();
    // Nothing else needs the landmark model for this session.
    m_model.reset();
}

} // namespace tisko
