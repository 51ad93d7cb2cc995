// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Interface/SettingsPage.h"
#include "Tisko/System/PlatformServices.h"

class QCheckBox;
class QLabel;

namespace tisko {

class Monitor;

// The "General" page: opening at login, the tray icon, today's counts with their export,
// and the version.
class GeneralPage : public SettingsPage {
    Q_OBJECT
public:
    GeneralPage(Monitor& monitor, PlatformServices platform, QWidget* parent = nullptr);

Q_SIGNALS:
    // "Ver historial…" was pressed.
    void historyRequested();

protected:
    // Reads the autostart entry and the tray icon's setting.
    void refresh() override;

private:
    void refreshCounts();
    void exportCounts();

    Monitor& m_monitor;
    PlatformServices m_platform;
    QCheckBox* m_login = nullptr;
    QCheckBox* m_icon = nullptr;
    QLabel* m_iconFooter = nullptr;
    QLabel* m_today = nullptr;
};

} // namespace tisko
