// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AbsenceGate.h"

namespace tisko {

bool AbsenceGate::absent(const Signs& signs) {
    return signs.displayAsleep ||
           (signs.idleSeconds && *signs.idleSeconds >= idleSecondsForAbsence) ||
           signs.companionKeepingAwake;
}

AbsenceGate::Change AbsenceGate::update(const Signs& signs) {
    const bool nobody = absent(signs);
    if (nobody == m_skipping)
        return Change::none;
    m_skipping = nobody;
    return nobody ? Change::left : Change::returned;
}

} // namespace tisko
