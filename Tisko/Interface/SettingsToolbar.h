// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Interface/SettingsTabs.h"

#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QTabBar>
#include <QToolBar>

#include <optional>

namespace tisko {

// The settings window's toolbar: four page tabs with icon and label, in a fixed order that
// cannot be moved or customised, reached by the keyboard (Tab, arrows, Ctrl+Tab,
// Ctrl+PageDown/PageUp, Alt+1 to 4) and by assistive technology. Choosing one sets the shared
// tab; showing a tab marks it and gives the window that page's content height below the
// toolbar, with its top edge where it was.
class SettingsToolbar : public QObject {
    Q_OBJECT
public:
    explicit SettingsToolbar(QObject* parent = nullptr);

    // Installs the toolbar on `window`, titles it "Ajustes de Tisko", follows `tabs`, and
    // shows the selected tab.
    void attach(QMainWindow* window, SettingsTabs* tabs);
    // Marks the tab's item and resizes the window to the tab's height.
    void show(SettingsTab tab);
    // Draws the icons again in the window's current text colour.
    void repaintIcons();

    // The content height of each page below the toolbar, for the window, its pictures and
    // the tests alike.
    static int contentHeight(SettingsTab tab);
    // `frame` with height `height` and the same top edge; nothing when the heights differ by
    // 0.5 or less.
    static std::optional<QRectF> resizedFrame(const QRectF& frame, qreal height);

    // The toolbar and its page tabs, once attached.
    QToolBar* toolbar() const { return m_toolbar; }
    QTabBar* pages() const { return m_pages; }

private:
    QPointer<SettingsTabs> m_tabs;
    QPointer<QMainWindow> m_window;
    QPointer<QToolBar> m_toolbar;
    QPointer<QTabBar> m_pages;
};

} // namespace tisko
