// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/PermissionState.h"

#include <QObject>

namespace tisko {

// Whether a warning would be seen now: no notification service answers; the service takes it
// but the desktop is in "do not disturb"; it shows; the desktop hides Tisko's notifications.
enum class NotificationReach { unknown, noService, silenced, allowed, denied };

// Whether Tisko may notify, as last read by NotificationPermission::refresh(): the
// notification status cannot be read synchronously, so the interface watches this instead.
class NotificationStatus : public QObject {
    Q_OBJECT
    Q_PROPERTY(tisko::PermissionState state READ state WRITE setState NOTIFY stateChanged)

public:
    // The one instance, on the main thread, created on first use and never destroyed.
    static NotificationStatus& shared();

    // Starts as unknown.
    explicit NotificationStatus(QObject* parent = nullptr);

    // The last state read; unknown before the first refresh completes.
    PermissionState state() const { return m_state; }
    // Writing the current state again notifies nobody.
    void setState(PermissionState state);
    // Whether a warning would be seen; unknown before the first refresh completes.
    NotificationReach reach() const { return m_reach; }
    // Writing the current reach again notifies nobody.
    void setReach(NotificationReach reach);
    // The log's line for a reach: "Avisos: permitidos", …
    static QString logLine(NotificationReach reach);

Q_SIGNALS:
    // The state changed to `state`.
    void stateChanged(tisko::PermissionState state);
    void reachChanged(tisko::NotificationReach reach);

private:
    PermissionState m_state = PermissionState::unknown;
    NotificationReach m_reach = NotificationReach::unknown;
};

} // namespace tisko
