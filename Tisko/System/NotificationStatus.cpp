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

void NotificationStatus::setReach(NotificationReach reach) {
    if (reach == m_reach)
        return;
    m_reach = reach;
    Q_EMIT reachChanged(reach);
}

QString NotificationStatus::logLine(NotificationReach reach) {
    switch (reach) {
    case NotificationReach::noService:
        return QStringLiteral("Avisos: no hay servicio de avisos; los avisos no se verán");
    case NotificationReach::silenced:
        return QStringLiteral("Avisos: el escritorio está en «no molestar»; los avisos no saldrán "
                              "hasta que lo quites");
    case NotificationReach::allowed:
        return QStringLiteral("Avisos: permitidos");
    case NotificationReach::denied:
        return QStringLiteral("Avisos: el escritorio no deja mostrar los de Tisko");
    case NotificationReach::unknown:
        break;
    }
    return QStringLiteral("Avisos: no se sabe si se verán");
}

} // namespace tisko
