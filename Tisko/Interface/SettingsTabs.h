// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace tisko {

// The four pages of the settings window, in the order of its toolbar.
enum class SettingsTab { general, detection, positions, permissions };

// The page's name as the command line and the pictures use it: "general", "detection",
// "positions", "permissions".
QString rawValue(SettingsTab tab);
// The page of a name; nothing for any other text.
std::optional<SettingsTab> settingsTabFromRaw(const QString& raw);

// The selected settings page, shared by the shell and the settings window so that a window
// opened again shows the page the user left.
class SettingsTabs : public QObject {
    Q_OBJECT
public:
    explicit SettingsTabs(QObject* parent = nullptr)
        : QObject(parent) {}

    SettingsTab tab() const { return m_tab; }
    // Selecting the selected page again notifies nobody.
    void setTab(SettingsTab tab);

Q_SIGNALS:
    void tabChanged(tisko::SettingsTab tab);

private:
    SettingsTab m_tab = SettingsTab::general;
};

} // namespace tisko
