// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/SharedWebcamBackend.h"

#include "Tisko/Camera/PipeWireBackend.h"
#include "Tisko/Support/Log.h"

namespace tisko {

SharedWebcamBackend::SharedWebcamBackend(std::unique_ptr<CameraBackend> direct, QString nodeName,
                                         PipeWireCameras& cameras)
    : m_direct(std::move(direct))
    , m_nodeName(std::move(nodeName))
    , m_cameras(cameras)
    , m_active(m_direct.get()) {}

SharedWebcamBackend::~SharedWebcamBackend() {
    stop();
}

bool SharedWebcamBackend::join() {
    if (m_active != m_direct.get() || !m_direct->busy())
        return false;
    const auto nodes = m_cameras.cameras();
    if (!nodes)
        return false;
    for (const PipeWireNode& node : *nodes) {
        if (node.name != m_nodeName)
            continue;
        if (!node.running)
            return false;
        m_direct->stop();
        Log::info(
            QStringLiteral("PipeWire: la cámara está ocupada; la mirada se une a su emisión"));
        m_pipeWire = std::make_unique<PipeWireBackend>(m_nodeName, m_cameras);
        m_active = m_pipeWire.get();
        return m_pipeWire->open();
    }
    return false;
}

bool SharedWebcamBackend::open() {
    return m_active->open() || join();
}

bool SharedWebcamBackend::start(FrameHandler handler) {
    if (m_active->start(handler))
        return true;
    return join() && m_active->start(std::move(handler));
}

void SharedWebcamBackend::stop() {
    m_direct->stop();
    if (m_pipeWire)
        m_pipeWire->stop();
}

} // namespace tisko
