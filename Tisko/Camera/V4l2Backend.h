// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraBackend.h"
#include "Tisko/Camera/V4l2System.h"

#include <atomic>
#include <thread>

namespace tisko {

// A V4L2 capture node streamed through memory-mapped buffers. libv4l2 converts whatever
// the camera sends into packed 24-bit BGR; only two buffers are kept so a busy session
// sees the newest frame, not a backlog.
class V4l2Backend final : public CameraBackend {
public:
    // `system` must outlive the backend.
    V4l2Backend(QString node, V4l2System& system);
    ~V4l2Backend() override;

    bool open() override;
    std::optional<FrameSize> activeFormat() override;
    std::vector<FrameSize> formats() override;
    bool setFormat(FrameSize size) override;
    bool start(FrameHandler handler) override;
    bool isRunning() const override { return m_running; }
    bool busy() const override { return m_busy; }
    void stop() override;

    // Buffers asked of the driver.
    static constexpr unsigned bufferCount = 2;

private:
    struct Buffer {
        void* address = nullptr;
        std::size_t length = 0;
    };
    void pump();
    void release();
    // Notes whether the call that just failed met a device in use elsewhere (EBUSY), then
    // releases the device; always false, for the caller to return.
    bool failed();

    const QString m_node;
    V4l2System& m_system;
    int m_fd = -1;
    std::vector<Buffer> m_buffers;
    bool m_streaming = false;
    FrameSize m_size;
    std::ptrdiff_t m_bytesPerLine = 0;
    std::uint32_t m_pixelFormat = 0;
    FrameHandler m_handler;
    std::atomic<bool> m_running{false};
    bool m_busy = false;
    std::atomic<bool> m_stopping{false};
    std::thread m_pump;
};

} // namespace tisko
