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

// A camera under the test's control and the clock of its session. Its backend records what
// the session asks of it; the test pushes frames as the capture thread would. The backend
// shares it, as a session may outlive its test in a look's pending timeout.
struct FakeCamera {
    std::mutex mutex;
    QStringList calls;
    CameraBackend::FrameHandler handler;
    bool opens = true;
    bool starts = true;
    bool busy = false; // another process holds the camera (with opens or starts false)
    std::atomic<CameraSession::Clock::time_point> now{CameraSession::Clock::time_point{} +
                                                      std::chrono::seconds(100)};

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
    // Hands `frame` to the session `after` the previous one and waits until it is handled.
    void push(CameraSession& session, std::chrono::milliseconds after,
              std::shared_ptr<const CapturedFrame> frame = greyFrame()) {
        now = now.load() + after;
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
    return std::make_shared<CameraSession>(
        CameraDevice{
            QStringLiteral("cam-1"), QStringLiteral("Cam"), CameraDevice::Kind::V4l2, false, {}},
        std::make_unique<FakeBackend>(camera), std::move(services));
}

} // namespace tisko::test
