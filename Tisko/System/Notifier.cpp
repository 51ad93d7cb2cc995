// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/Notifier.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"

#include <memory>

namespace tisko {

QString Notifier::postureIdentifier() {
    return QStringLiteral("posture");
}

QString Notifier::updateIdentifier() {
    return QStringLiteral(TISKO_APP_ID ".update");
}

QString Notifier::loginNoticeIdentifier() {
    return QStringLiteral(TISKO_APP_ID ".background");
}

void Notifier::requestPermission(std::function<void(bool)> done, NotificationCenter& center) {
    center.requestAuthorization([done = std::move(done)](bool granted) {
        if (done)
            done(granted);
    });
}

std::optional<NotificationRequest> Notifier::postureRequest(const PostureVerdict& verdict,
                                                            bool soundsEnabled) {
    NotificationRequest request;
    switch (verdict.kind()) {
    case PostureVerdict::Kind::tooClose:
        request.title = tr("Estás muy cerca de la pantalla");
        request.body = tr("Echa la espalda atrás y aleja un poco la cara.");
        break;
    case PostureVerdict::Kind::slouching:
        request.title = tr("Te estás hundiendo en la silla");
        request.body = tr("Endereza la espalda y sube la cabeza.");
        break;
    case PostureVerdict::Kind::fine:
    case PostureVerdict::Kind::away:
        return std::nullopt;
    }
    request.identifier = postureIdentifier();
    request.sound = soundsEnabled;
    request.urgency = NotificationRequest::Urgency::normal;
    return request;
}

void Notifier::post(const PostureVerdict& verdict, Delivered delivered,
                    NotificationCenter& center) {
    if (!verdict.isBad())
        return;
    const auto request = postureRequest(verdict, SettingsStore::soundsEnabled());
    // The status and the server's answer come back apart; the outcome waits for both. The
    // warning goes to the server whatever the status says.
    struct Outcome {
        std::optional<int> status;
        std::optional<QString> error;
        Delivered delivered;
    };
    const auto outcome = std::make_shared<Outcome>();
    outcome->delivered = std::move(delivered);
    const auto conclude = [outcome](const QString& error) {
        QString cause = error;
        // Taken by the server, but the desktop hides Tisko's notifications.
        if (cause.isEmpty() && outcome->status != NotificationCenter::authorized)
            cause = QStringLiteral("avisos denegados");
        if (!cause.isEmpty())
            Log::error(QStringLiteral("Aviso no entregado: ") + cause);
        if (outcome->delivered)
            outcome->delivered(cause.isEmpty());
    };
    const QString unreachable = center.unreachableReason();
    if (!unreachable.isEmpty()) {
        conclude(unreachable);
        return;
    }
    center.getAuthorizationStatus([outcome, conclude](int status) {
        outcome->status = status;
        if (outcome->error)
            conclude(*outcome->error);
    });
    center.add(*request, [outcome, conclude](const QString& error) {
        outcome->error = error;
        if (outcome->status)
            conclude(error);
    });
}

NotificationRequest Notifier::updateRequest(const QString& version) {
    NotificationRequest request;
    request.identifier = updateIdentifier();
    request.title = tr("Hay una versión nueva de Tisko");
    request.body = tr("La %1 está lista. Pulsa para actualizar.").arg(version);
    request.sound = false;
    return request;
}

void Notifier::postUpdate(const QString& version, NotificationCenter& center) {
    center.add(updateRequest(version), {});
}

void Notifier::removeUpdate(NotificationCenter& center) {
    center.removeDelivered(updateIdentifier());
}

NotificationRequest Notifier::loginNoticeRequest() {
    NotificationRequest request;
    request.identifier = loginNoticeIdentifier();
    request.title = tr("Tisko vigila tu postura en segundo plano");
    request.body = tr("No hay ninguna bandeja del sistema donde mostrar su icono. Para abrir "
                      "Tisko, búscalo en el menú de aplicaciones.");
    request.button = tr("Abrir Tisko");
    request.sound = false;
    request.urgency = NotificationRequest::Urgency::low;
    return request;
}

} // namespace tisko
