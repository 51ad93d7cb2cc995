// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;

namespace tisko {

class Monitor;

// The "General" page: opening at login, the tray icon, today's counts with their export,
// and the version.
class GeneralPage : public QWidget {
    Q_OBJECT
public:
    explicit GeneralPage(Monitor& monitor, QWidget* parent = nullptr);

Q_SIGNALS:
    // "Ver historial…" was pressed.
    void historyRequested();

protected:
    // Reads the autostart entry and the settings afresh each time the page is shown.
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void refreshCounts();
    void exportCounts();

    Monitor& m_monitor;
    QCheckBox* m_login = nullptr;
    QCheckBox* m_icon = nullptr;
    QLabel* m_iconFooter = nullptr;
    QLabel* m_today = nullptr;
};

} // namespace tisko
