// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/DesktopPlatform.h"

#include "Tisko/Camera/Cameras.h"
#include "Tisko/System/DisplaySet.h"
#include "Tisko/System/LoginItem.h"
#include "Tisko/System/Updater.h"

namespace tisko {

std::vector<CameraDevice> DesktopPlatform::cameras() const {
    return Cameras::all();
}

QStringList DesktopPlatform::withoutEdid() const {
    return DisplaySet::connectorsWithoutEdid();
}

bool DesktopPlatform::isEnabled() const {
    return LoginItem::isEnabled();
}

void DesktopPlatform::setEnabled(bool enabled) {
    LoginItem::setEnabled(enabled);
}

bool DesktopPlatform::available() const {
    return !Updater::shared().feed().isEmpty();
}

void DesktopPlatform::checkNow() {
    Updater::shared().checkForUpdates();
}

} // namespace tisko
