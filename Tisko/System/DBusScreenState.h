// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/ScreenState.h"

#include <QDBusConnection>

#include <chrono>

namespace tisko {

// The lock state from logind's LockedHint of this session, then from GetActive of the
// freedesktop, GNOME and Xfce screensavers. The first service that answers decides; the
// whole question takes at most the time budget.
class DBusScreenState : public ScreenState {
public:
    // systemBus is where logind lives, sessionBus where the screensavers do.
    DBusScreenState(QDBusConnection systemBus, QDBusConnection sessionBus,
                    std::chrono::milliseconds budget = std::chrono::milliseconds(250));

    bool isLocked() override;

private:
    QDBusConnection m_systemBus;
    QDBusConnection m_sessionBus;
    std::chrono::milliseconds m_budget;
};

} // namespace tisko
