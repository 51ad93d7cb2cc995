// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/NotificationRouter.h"

#include "Tisko/System/Notifier.h"

namespace tisko {

NotificationRouter::NotificationRouter(NotificationCenter& center, QObject* parent)
    : QObject(parent) {
    connect(&center, &NotificationCenter::activated, this, &NotificationRouter::didReceive);
}

void NotificationRouter::setUpdateCheck(std::function<void()> check) {
    m_updateCheck = std::move(check);
}

void NotificationRouter::didReceive(const QString& identifier) {
    if (identifier != Notifier::updateIdentifier())
        return;
    // The check runs as its own task, after the click has been handled.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_updateCheck)
                m_updateCheck();
        },
        Qt::QueuedConnection);
}

} // namespace tisko
