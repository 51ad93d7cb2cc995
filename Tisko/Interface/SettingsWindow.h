// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Interface/SettingsTabs.h"

#include <QMainWindow>

#include <functional>

class QStackedWidget;

namespace tisko {

class Monitor;
class SettingsToolbar;

// The settings window, top level, title "Ajustes de Tisko", with a toolbar of four page tabs
// above a content area 660 px wide and as high as the selected page (400, 600, 460, 370).
// Changing the page resizes it with the top edge fixed; the user cannot resize it. It follows
// `tabs`, which the shell keeps, so a window opened again shows the last page.
class SettingsWindow : public QMainWindow {
    Q_OBJECT
public:
    // `onNewPosition` is called by "Nueva posición…" to open the recording window.
    SettingsWindow(Monitor& monitor, SettingsTabs& tabs, std::function<void()> onNewPosition,
                   QWidget* parent = nullptr);

    // The toolbar has no menu to hide or rearrange it.
    QMenu* createPopupMenu() override { return nullptr; }

Q_SIGNALS:
    // "Ver historial…" on the general page, to open the history window.
    void historyRequested();

protected:
    // Redraws the toolbar icons when the palette changes between light and dark.
    void changeEvent(QEvent* event) override;
    // Puts the keyboard on the page tabs the first time the window shows.
    void showEvent(QShowEvent* event) override;

private:
    void showTab(SettingsTab tab);

    SettingsToolbar* m_toolbar = nullptr;
    QStackedWidget* m_pages = nullptr;
    bool m_focusPlaced = false;
};

} // namespace tisko
