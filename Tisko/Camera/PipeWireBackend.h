// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraBackend.h"
#include "Tisko/Camera/PipeWireCameras.h"

#include <atomic>
#include <memory>

struct pw_core;
struct pw_stream;

namespace tisko {

// A camera node of the PipeWire graph, received through a stream on the process's shared
// connection. PipeWire hands over the camera's own pixels (YUY2, NV12, I420, MJPG, packed
// RGB or BGR); they are converted here to what the analyzer reads. Several programs may
// receive the same node at once.
class PipeWireBackend final : public CameraBackend {
public:
    // The node named `nodeName` (node.name) on `cameras`, which must outlive the backend.
    PipeWireBackend(QString nodeName, PipeWireCameras& cameras);
    ~PipeWireBackend() override;

    bool open() override;
    // The size the stream agreed on once started; before, the size asked for, if any.
    std::optional<FrameSize> activeFormat() override;
    std::vector<FrameSize> formats() override;
    bool setFormat(FrameSize size) override;
    bool start(FrameHandler handler) override;
    bool isRunning() const override { return m_running; }
    void stop() override;

    // Longest wait for the stream to start streaming, in nanoseconds.
    static constexpr std::int64_t startTimeoutNs = 2'000'000'000;

    struct Stream;

private:
    // The steps of a start: the stream and its listener, the wait until it streams or has
    // failed, and the reason it did not stream, for the log.
    bool createStream(pw_core* core, FrameHandler handler);
    bool awaitStreaming(pw_core* core);
    QString whyNotStreaming() const;

    const QString m_nodeName;
    PipeWireCameras& m_cameras;
    std::optional<PipeWireNode> m_node;
    std::optional<FrameSize> m_wanted;
    std::unique_ptr<Stream> m_stream;
    std::atomic<bool> m_running{false};
};

} // namespace tisko
