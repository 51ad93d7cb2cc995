// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Interface/SettingsTabs.h"
#include "Tisko/System/PlatformServices.h"

#include <QMainWindow>

class QStackedWidget;

namespace tisko {

class Monitor;
class SettingsToolbar;

// The settings window, top level, title "Ajustes de Tisko", with a toolbar of four page tabs
// above a content area 660 px wide and as high as the selected page wants
// (SettingsToolbar::contentHeight, the one place of those heights).
// Changing the page resizes it with the top edge fixed; the user cannot resize it. It follows
// `tabs`, which the shell keeps, so a window opened again shows the last page.
class SettingsWindow : public QMainWindow {
    Q_OBJECT
public:
    // What `platform` refers to must outlive the window.
    SettingsWindow(Monitor& monitor, PlatformServices platform, SettingsTabs& tabs,
                   QWidget* parent = nullptr);

    // The toolbar has no menu to hide or rearrange it.
    QMenu* createPopupMenu() override { return nullptr; }

Q_SIGNALS:
    // "Nueva posición…" on the positions page: the recording window.
    void newPositionRequested();
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
