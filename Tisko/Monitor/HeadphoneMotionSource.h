// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Monitor/MotionSource.h"
#include "Tisko/Motion/HeadphoneMotion.h"

#include <functional>

namespace tisko {

// The head tracker of HeadphoneMotion as the Monitor's motion source.
class HeadphoneMotionSource final : public MotionSource {
public:
    // Listens on `port` once started.
    explicit HeadphoneMotionSource(quint16 port = HeadphoneMotion::defaultPort);

    void start() override { m_motion.start(); }
    void stop() override { m_motion.stop(); }
    std::optional<double> pitch() const override { return m_motion.pitch(); }
    bool permissionDenied() const override { return !m_motion.isDeviceMotionAvailable(); }
    void setOnPitch(std::function<void(double)> onPitch) override;
    void setOnConnectionChange(std::function<void(bool)> onChange) override;

private:
    HeadphoneMotion m_motion;
    std::function<void(double)> m_onPitch;
    std::function<void(bool)> m_onConnectionChange;
};

} // namespace tisko
