// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/SettingsTabs.h"

namespace tisko {

QString rawValue(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return QStringLiteral("general");
    case SettingsTab::detection:
        return QStringLiteral("detection");
    case SettingsTab::positions:
        return QStringLiteral("positions");
    case SettingsTab::permissions:
        return QStringLiteral("permissions");
    }
    return {};
}

std::optional<SettingsTab> settingsTabFromRaw(const QString& raw) {
    for (SettingsTab tab : {SettingsTab::general, SettingsTab::detection, SettingsTab::positions,
                            SettingsTab::permissions}) {
        if (rawValue(tab) == raw)
            return tab;
    }
    return std::nullopt;
}

void SettingsTabs::setTab(SettingsTab tab) {
    if (tab == m_tab)
        return;
    m_tab = tab;
    Q_EMIT tabChanged(tab);
}

} // namespace tisko
