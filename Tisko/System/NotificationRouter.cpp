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

void NotificationRouter::setWindowOpener(std::function<void()> open) {
    m_windowOpener = std::move(open);
}

void NotificationRouter::didReceive(const QString& identifier) {
    const std::function<void()>* task = identifier == Notifier::updateIdentifier() ? &m_updateCheck
                                        : identifier == Notifier::loginNoticeIdentifier()
                                            ? &m_windowOpener
                                            : nullptr;
    if (!task)
        return;
    // The task runs on its own, after the click has been handled.
    QMetaObject::invokeMethod(
        this,
        [this, task] {
            if (*task)
                (*task)();
        },
        Qt::QueuedConnection);
}

} // namespace tisko
