// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/NotificationCenter.h"

#include <QObject>

#include <functional>

namespace tisko {

// Decides what a click on one of Tisko's notifications does: a click on the update notice
// starts the update check, one on the login notice opens Tisko's window, a click on a posture
// warning starts nothing.
class NotificationRouter : public QObject {
    Q_OBJECT

public:
    explicit NotificationRouter(NotificationCenter& center = NotificationCenter::current(),
                                QObject* parent = nullptr);

    // The user-initiated update check a click on the update notice starts; the updater sets it.
    void setUpdateCheck(std::function<void()> check);
    // What a click on the login notice opens; the application sets it.
    void setWindowOpener(std::function<void()> open);

private:
    void didReceive(const QString& identifier);

    std::function<void()> m_updateCheck;
    std::function<void()> m_windowOpener;
};

} // namespace tisko
