// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/PermissionState.h"

#include <QObject>

namespace tisko {

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

Q_SIGNALS:
    // The state changed to `state`.
    void stateChanged(tisko::PermissionState state);

private:
    PermissionState m_state = PermissionState::unknown;
};

} // namespace tisko
