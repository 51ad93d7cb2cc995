// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/NotificationStatus.h"

#include <QCoreApplication>

namespace tisko {

NotificationStatus& NotificationStatus::shared() {
    static NotificationStatus* status = [] {
        auto* created = new NotificationStatus;
        if (auto* app = QCoreApplication::instance())
            created->moveToThread(app->thread());
        return created;
    }();
    return *status;
}

NotificationStatus::NotificationStatus(QObject* parent)
    : QObject(parent) {}

void NotificationStatus::setState(PermissionState state) {
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

} // namespace tisko
