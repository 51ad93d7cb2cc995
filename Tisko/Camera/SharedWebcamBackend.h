// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraBackend.h"
#include "Tisko/Camera/PipeWireCameras.h"

#include <memory>

namespace tisko {

// A webcam that PipeWire serves too. It is opened directly whenever it is free, so the light
// is on for the look alone; when the device is busy and PipeWire streams that same webcam
// to another program, the look joins that stream through PipeWire instead.
class SharedWebcamBackend final : public CameraBackend {
public:
    // `direct` opens the device itself; `nodeName` is PipeWire's node of the same device.
    SharedWebcamBackend(std::unique_ptr<CameraBackend> direct, QString nodeName,
                        PipeWireCameras& cameras);
    ~SharedWebcamBackend() override;

    bool open() override;
    std::optional<FrameSize> activeFormat() override { return m_active->activeFormat(); }
    std::vector<FrameSize> formats() override { return m_active->formats(); }
    bool setFormat(FrameSize size) override { return m_active->setFormat(size); }
    bool start(FrameHandler handler) override;
    bool isRunning() const override { return m_active->isRunning(); }
    bool busy() const override { return m_active->busy(); }
    bool joinedAnotherConsumer() const override { return m_active != m_direct.get(); }
    void stop() override;

private:
    // Switches to PipeWire when the busy device is PipeWire's running node; false otherwise.
    bool join();

    std::unique_ptr<CameraBackend> m_direct;
    std::unique_ptr<CameraBackend> m_pipeWire;
    const QString m_nodeName;
    PipeWireCameras& m_cameras;
    CameraBackend* m_active = nullptr;
};

} // namespace tisko
