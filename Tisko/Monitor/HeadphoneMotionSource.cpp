// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/HeadphoneMotionSource.h"

namespace tisko {

HeadphoneMotionSource::HeadphoneMotionSource(quint16 port)
    : m_motion(port) {
    QObject::connect(&m_motion, &HeadphoneMotion::pitchReceived, &m_motion, [this](double pitch) {
        if (m_onPitch)
            m_onPitch(pitch);
    });
    QObject::connect(&m_motion, &HeadphoneMotion::connectedChanged, &m_motion,
                     [this](bool connected) {
                         if (m_onConnectionChange)
                             m_onConnectionChange(connected);
                     });
}

void HeadphoneMotionSource::setOnPitch(std::function<void(double)> onPitch) {
    m_onPitch = std::move(onPitch);
}

void HeadphoneMotionSource::setOnConnectionChange(std::function<void(bool)> onChange) {
    m_onConnectionChange = std::move(onChange);
}

std::unique_ptr<MotionSource> MotionSource::create() {
    return std::make_unique<HeadphoneMotionSource>();
}

} // namespace tisko
