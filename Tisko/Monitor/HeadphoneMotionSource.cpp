// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/HeadphoneMotionSource.h"

namespace tisko {

HeadphoneMotionSource::HeadphoneMotionSource(quint16 port)
    : m_motion(port) {}

void HeadphoneMotionSource::setOnPitch(std::function<void(double)> onPitch) {
    m_motion.setOnPitch(std::move(onPitch));
}

void HeadphoneMotionSource::setOnConnectionChange(std::function<void(bool)> onChange) {
    m_motion.setOnConnectionChange(std::move(onChange));
}

std::unique_ptr<MotionSource> MotionSource::create() {
    return std::make_unique<HeadphoneMotionSource>();
}

} // namespace tisko
