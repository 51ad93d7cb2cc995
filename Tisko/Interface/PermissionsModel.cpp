// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/PermissionsModel.h"

namespace tisko {

PermissionsModel::Row PermissionsModel::row(PrivacyPane pane, PermissionState state) {
    switch (pane) {
    case PrivacyPane::camera:
        return {pane, QStringLiteral("permission-camera"), tr("Cámara"),
                tr("Para mirar un segundo cada pocos minutos. No guarda ninguna imagen."),
                badgeFor(state)};
    case PrivacyPane::notifications:
        return {pane, QStringLiteral("permission-notifications"), tr("Notificaciones"),
                tr("Para avisarte."), badgeFor(state)};
    case PrivacyPane::motion:
        return {pane, QStringLiteral("permission-headtracker"), tr("Seguidor de cabeza"),
                tr("Para notar la cabeza inclinada sin encender la cámara. Tisko lo escucha en "
                   "el puerto UDP 4242 de este ordenador."),
                badgeFor(state)};
    }
    return {};
}

PermissionsModel::Row PermissionsModel::notificationRow(PermissionState state,
                                                        NotificationReach reach) {
    Row row = PermissionsModel::row(PrivacyPane::notifications, state);
    switch (reach) {
    case NotificationReach::noService:
        row.badge = Badge::noService;
        row.explanation = tr("Este escritorio no tiene ningún servicio de avisos: los avisos de "
                             "Tisko no se verán.");
        break;
    case NotificationReach::silenced:
        row.badge = Badge::silenced;
        row.explanation = tr("Permitidos, pero el escritorio está en «no molestar»: los avisos de "
                             "Tisko no saldrán hasta que lo quites.");
        break;
    case NotificationReach::denied:
        row.badge = Badge::denied;
        break;
    case NotificationReach::allowed:
        row.badge = Badge::granted;
        break;
    case NotificationReach::unknown:
        break;
    }
    return row;
}

QString PermissionsModel::badgeText(Badge badge) {
    switch (badge) {
    case Badge::granted:
        return tr("Concedido");
    case Badge::denied:
        return tr("Denegado");
    case Badge::noService:
        return tr("Sin servicio");
    case Badge::silenced:
        return tr("No molestar");
    case Badge::ask:
        break;
    }
    return tr("Permitir");
}

PermissionsModel::Badge PermissionsModel::badgeFor(PermissionState state) {
    switch (state) {
    case PermissionState::granted:
        return Badge::granted;
    case PermissionState::denied:
        return Badge::denied;
    case PermissionState::notAsked:
    case PermissionState::unknown:
        return Badge::ask;
    }
    return Badge::ask;
}

} // namespace tisko
