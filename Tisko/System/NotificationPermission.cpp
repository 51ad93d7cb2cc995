// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/NotificationPermission.h"

#include <QPointer>

namespace tisko {

PermissionState NotificationPermission::stateFor(int status) {
    switch (status) {
    case 0:
        return PermissionState::notAsked;
    case 1:
        return PermissionState::denied;
    case 2:
    case 3:
        return PermissionState::granted;
    default:
        return PermissionState::unknown;
    }
}

void NotificationPermission::refresh(NotificationCenter& center, NotificationStatus& status) {
    QPointer<NotificationStatus> target(&status);
    center.getAuthorizationStatus([target](int code) {
        if (!target)
            return;
        QMetaObject::invokeMethod(
            target.data(),
            [target, code] {
                if (target)
                    target->setState(stateFor(code));
            },
            Qt::QueuedConnection);
    });
    center.getReach([target](NotificationReach reach) {
        if (!target)
            return;
        QMetaObject::invokeMethod(
            target.data(),
            [target, reach] {
                if (target)
                    target->setReach(reach);
            },
            Qt::QueuedConnection);
    });
}

} // namespace tisko
