// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/CameraList.h"
#include "Tisko/System/DisplayConnectors.h"
#include "Tisko/System/LoginSwitch.h"
#include "Tisko/System/UpdateChecks.h"

namespace tisko {

// What the settings window asks of the desktop. The shell hands in the real ones; tests their
// own.
struct PlatformServices {
    CameraList& cameras;
    DisplayConnectors& displays;
    LoginSwitch& login;
    UpdateChecks& updates;
};

} // namespace tisko
