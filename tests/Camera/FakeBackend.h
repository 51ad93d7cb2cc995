// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraBackend.h"
#include "Tisko/Camera/CameraSession.h"

#include <QStringList>

#include <future>
#include <mutex>

namespace tisko::test {

// A small frame with pixels.
inline std::shared_ptr<const CapturedFrame> greyFrame() {
    auto frame = std::make_shared<CapturedFrame>();
    frame->bytes = std::make_shared<const std::vector<std::uint8_t>>(16 * 16, std::uint8_t{90});
    frame->width = frame->height = 16;
    frame->bytesPerLine = 16;
    frame->format = PixelFormat::Grey8;
    return frame;
}

// A camera under the test's control and the clock and timer of its session. Its backend
// records what the session asks of it; the test pushes frames as the capture thread would.
struct FakeCamera {
    std::mutex mutex;
    QStringList calls;
    CameraBackend::FrameHandler handler;
    bool opens = true;
    bool starts = true;
    bool busy = false; // another process holds the camera (with opens or starts false)
    std::atomic<CameraSession::Clock::time_point> now{CameraSession::Clock::time_point{} +
                                                      std::chrono::seconds(100)};

    // The session's timer: tasks due on `now`, run by `advance`.
    struct Timer {
        int id;
        CameraSession::Clock::time_point due;
        std::function<void()> task;
    };
    std::vector<Timer> timers;
    int lastTimer = 0;

    void record(const QString& call) {
        std::lock_guard lock(mutex);
        calls << call;
    }
    QStringList recorded() {
        std::lock_guard lock(mutex);
        return calls;
    }
    CameraBackend::FrameHandler currentHandler() {
        std::lock_guard lock(mutex);
        return handler;
    }
    std::size_t pendingTimers() {
        std::lock_guard lock(mutex);
        return timers.size();
    }
    // Moves the clock on by `time` and runs the timers that came due.
    void advance(std::chrono::milliseconds time) {
        now = now.load() + time;
        std::vector<std::function<void()>> due;
        {
            std::lock_guard lock(mutex);
            for (auto it = timers.begin(); it != timers.end();) {
                if (it->due <= now.load()) {
                    due.push_back(std::move(it->task));
                    it = timers.erase(it);
                } else {
                    ++it;
                }
            }
        }
        for (const auto& task : due)
            task();
    }
    // Hands `frame` to the session `after` the previous one and waits until it is handled.
    void push(CameraSession& session, std::chrono::milliseconds after,
              std::shared_ptr<const CapturedFrame> frame = greyFrame()) {
        advance(after);
        if (const auto deliver = currentHandler())
            deliver(std::move(frame));
        std::promise<void> done;
        session.post([&done] { done.set_value(); });
        done.get_future().wait();
    }
};

// The backend of a FakeCamera: its own format is 1280x720.
class FakeBackend : public CameraBackend {
public:
    explicit FakeBackend(std::shared_ptr<FakeCamera> camera)
        : m_camera(std::move(camera)) {}

    bool open() override {
        m_camera->record(QStringLiteral("open"));
        return m_camera->opens;
    }
    std::optional<FrameSize> activeFormat() override { return FrameSize{1280, 720}; }
    std::vector<FrameSize> formats() override {
        return {{640, 480}, {1920, 1080}, {1280, 720}, {640, 360}};
    }
    bool setFormat(FrameSize size) override {
        m_camera->record(QStringLiteral("setFormat ") + CameraSession::describe(size));
        return true;
    }
    bool start(FrameHandler handler) override {
        m_camera->record(QStringLiteral("start"));
        std::lock_guard lock(m_camera->mutex);
        m_camera->handler = std::move(handler);
        return m_running = m_camera->starts;
    }
    bool isRunning() const override { return m_running; }
    bool busy() const override { return m_camera->busy; }
    void stop() override {
        m_camera->record(QStringLiteral("stop"));
        std::lock_guard lock(m_camera->mutex);
        m_camera->handler = nullptr;
        m_running = false;
    }

private:
    std::shared_ptr<FakeCamera> m_camera;
    bool m_running = false;
};

// A session on the fake camera "cam-1", on its clock, measuring each frame with `measure`.
inline std::shared_ptr<CameraSession> fakeSession(const std::shared_ptr<FakeCamera>& camera,
                                                  CameraSession::Services services) {
    services.now = [camera] { return camera->now.load(); };
    const std::weak_ptr<FakeCamera> weak = camera;
    services.after = [weak](CameraSession::Clock::duration delay, std::function<void()> task) {
        const auto owner = weak.lock();
        std::lock_guard lock(owner->mutex);
        const int id = ++owner->lastTimer;
        owner->timers.push_back({id, owner->now.load() + delay, std::move(task)});
        return CameraSession::Cancel([weak, id] {
            std::function<void()> withdrawn;
            if (const auto held = weak.lock()) {
                std::lock_guard inner(held->mutex);
                std::erase_if(held->timers, [&](FakeCamera::Timer& timer) {
                    if (timer.id != id)
                        return false;
                    withdrawn = std::move(timer.task);
                    return true;
                });
            }
        });
    };
    return std::make_shared<CameraSession>(
        CameraDevice{
            QStringLiteral("cam-1"), QStringLiteral("Cam"), CameraDevice::Kind::V4l2, false, {}},
        std::make_unique<FakeBackend>(camera), std::move(services));
}

} // namespace tisko::test
