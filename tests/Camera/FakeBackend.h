#pragma once

#include "Tisko/Camera/CameraBackend.h"
#include "Tisko/Camera/CameraSession.h"

#include <QStringList>

#include <future>
#include <mutex>

namespace tisko::test {

// A camera under the test's control: it records what the session asks of it, and frames
// are pushed by the test as the capture thread would.
class FakeBackend : public CameraBackend {
public:
    struct Shared {
        std::mutex mutex;
        QStringList calls;
        FrameHandler handler;
        void record(const QString& call) {
            std::lock_guard lock(mutex);
            calls << call;
        }
    };
    explicit FakeBackend(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}

    bool opens = true;
    bool starts = true;
    std::optional<FrameSize> active = FrameSize{1280, 720};
    std::vector<FrameSize> sizes{{640, 480}, {1920, 1080}, {1280, 720}, {640, 360}};

    bool open() override {
        m_shared->record(QStringLiteral("open"));
        return opens;
    }
    std::optional<FrameSize> activeFormat() override { return active; }
    std::vector<FrameSize> formats() override { return sizes; }
    bool setFormat(FrameSize size) override {
        m_shared->record(QStringLiteral("setFormat ") + CameraSession::describe(size));
        return true;
    }
    bool start(FrameHandler handler) override {
        m_shared->record(QStringLiteral("start"));
        std::lock_guard lock(m_shared->mutex);
        m_shared->handler = std::move(handler);
        m_running = starts;
        return starts;
    }
    bool isRunning() const override { return m_running; }
    void stop() override {
        m_shared->record(QStringLiteral("stop"));
        std::lock_guard lock(m_shared->mutex);
        m_shared->handler = nullptr;
        m_running = false;
    }

private:
    std::shared_ptr<Shared> m_shared;
    bool m_running = false;
};

// A small frame with pixels.
inline std::shared_ptr<const CapturedFrame> greyFrame() {
    auto frame = std::make_shared<CapturedFrame>();
    frame->bytes = std::make_shared<const std::vector<std::uint8_t>>(16 * 16, std::uint8_t{90});
    frame->width = 16;
    frame->height = 16;
    frame->bytesPerLine = 16;
    frame->format = PixelFormat::Grey8;
    return frame;
}

// Waits until everything queued on the session before the call has run.
inline void drain(CameraSession& session) {
    std::promise<void> done;
    session.post([&done] { done.set_value(); });
    done.get_future().wait();
}

} // namespace tisko::test
