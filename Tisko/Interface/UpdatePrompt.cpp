// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/UpdatePrompt.h"

namespace tisko {

namespace {

// The most of the detail the window shows (a server's words may be any length); the log
// keeps them whole.
constexpr qsizetype longestDetail = 300;

} // namespace

UpdatePrompt UpdatePrompt::forOutcome(const UpdateOutcome& outcome, const QString& current) {
    UpdatePrompt prompt;
    switch (outcome.kind) {
    case UpdateOutcome::Kind::found:
        prompt.title = tr("Hay una versión nueva de Tisko");
        prompt.detail =
            tr("La %1 está disponible; tienes la %2.").arg(outcome.item.displayVersion, current);
        prompt.notes = outcome.item.releaseNotes;
        prompt.download = outcome.item.downloadAddress();
        prompt.closeText = tr("Más tarde");
        break;
    case UpdateOutcome::Kind::upToDate:
        prompt.title = tr("Tienes la última versión");
        prompt.detail = tr("Tisko %1 es la versión más reciente.").arg(current);
        prompt.closeText = tr("Aceptar");
        break;
    case UpdateOutcome::Kind::failed:
        prompt.title = tr("No se ha podido buscar actualizaciones");
        prompt.detail = outcome.error;
        prompt.closeText = tr("Aceptar");
        break;
    }
    if (prompt.detail.size() > longestDetail)
        prompt.detail = prompt.detail.left(longestDetail) + QStringLiteral("…");
    return prompt;
}

QString UpdatePrompt::windowTitle() {
    return tr("Actualizaciones de Tisko");
}

QString UpdatePrompt::downloadText() {
    return tr("Descargar");
}

QString UpdatePrompt::notesText() {
    return tr("Notas de la versión");
}

} // namespace tisko
