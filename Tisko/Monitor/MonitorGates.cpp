// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/Monitor.h"

#include "Tisko/Support/Log.h"

// The gates a look passes before the camera opens: one look at a time; only a look asked
// for by hand while not watching; never on a locked screen unless asked for by hand; and
// for the clock, someone in front and no back-off after empty looks.

namespace tisko {

void Monitor::look(Trigger trigger) {
    refreshState();
    if (m_isLooking)
        return;
    if (m_state.kind() != State::Kind::watching && trigger != Trigger::manual)
        return;
    const std::optional<Calibration> active = m_book.active();
    if (!active)
        return;
    if (trigger != Trigger::manual) {
        if (m_services.screen->isLocked())
            return;
        if (trigger == Trigger::clock && !clockMayLook())
            return;
    }
    startLook(*active, trigger);
}

bool Monitor::clockMayLook() {
    Presence& presence = *m_services.presence;
    switch (m_absence.update({presence.mainDisplayAsleep(), presence.secondsSinceLastInput(),
                              presence.companionKeepingAwake()})) {
    case AbsenceGate::Change::left:
        Log::info(QStringLiteral("Nadie delante (sin teclado ni ratón 3 min, o "
                                 "pantalla en reposo): dejo de mirar"));
        break;
    case AbsenceGate::Change::returned:
        Log::info(QStringLiteral("Vuelve a haber actividad: miro otra vez"));
        break;
    case AbsenceGate::Change::none:
        break;
    }
    return !m_absence.skipping() && m_backOff.mayLook();
}

} // namespace tisko
