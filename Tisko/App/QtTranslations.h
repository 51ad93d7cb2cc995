// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace tisko {

// Qt's own texts (file dialogs, the text fields' context menu, standard buttons) in Spanish,
// like the rest of Tisko, whatever the system's language.
class QtTranslations {
public:
    // Installs Qt's Spanish catalogue from `folder` (Qt's own translations folder when empty)
    // on the application. False, and one line logged, when it is missing: Qt's texts stay in
    // English.
    static bool install(const QString& folder = {});
};

} // namespace tisko
