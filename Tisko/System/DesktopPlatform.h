// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/PlatformServices.h"

namespace tisko {

// This desktop's answers: V4L2 and the sample cameras, the display probe, the autostart entry
// and the process's updater.
class DesktopPlatform final : public CameraList,
                              public DisplayConnectors,
                              public LoginSwitch,
                              public UpdateChecks {
public:
    std::vector<CameraDevice> cameras() const override;
    QStringList withoutEdid() const override;
    bool isEnabled() const override;
    void setEnabled(bool enabled) override;
    bool available() const override;
    void checkNow() override;

    PlatformServices services() { return {*this, *this, *this, *this}; }
};

} // namespace tisko
