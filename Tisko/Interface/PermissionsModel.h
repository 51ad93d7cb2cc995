// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Interface/PrivacySettings.h"
#include "Tisko/System/NotificationStatus.h"
#include "Tisko/System/PermissionState.h"

#include <QCoreApplication>
#include <QString>

namespace tisko {

// What the permissions page shows for each permission: its symbol, title, explanation and
// the badge of its current state.
class PermissionsModel {
    Q_DECLARE_TR_FUNCTIONS(PermissionsModel)

public:
    PermissionsModel() = delete;

    // The trailing edge of a row: "Concedido"; "Denegado", "Sin servicio" or "No molestar"
    // with "Abrir Ajustes"; "Permitir".
    enum class Badge { granted, denied, noService, silenced, ask };

    // One permission as its row shows it.
    struct Row {
        PrivacyPane pane = PrivacyPane::camera;
        QString symbol; // the icon's file name, without ".svg"
        QString title;
        QString explanation;
        Badge badge = Badge::ask;
    };

    // The row of a permission in a state.
    static Row row(PrivacyPane pane, PermissionState state);
    // The notifications' row: what a warning would meet now, once that is known, decides.
    static Row notificationRow(PermissionState state, NotificationReach reach);
    // The badge's text.
    static QString badgeText(Badge badge);
    // granted and denied as themselves; not asked and unknown offer to ask.
    static Badge badgeFor(PermissionState state);
};

} // namespace tisko
