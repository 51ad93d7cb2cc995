// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/SettingsWindow.h"

#include "Tisko/Interface/DetectionPage.h"
#include "Tisko/Interface/GeneralPage.h"
#include "Tisko/Interface/PermissionsPage.h"
#include "Tisko/Interface/PositionsPage.h"
#include "Tisko/Interface/SettingsForm.h"
#include "Tisko/Interface/SettingsToolbar.h"

#include <QEvent>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>

namespace tisko {

SettingsWindow::SettingsWindow(Monitor& monitor, PlatformServices platform, SettingsTabs& tabs,
                               QWidget* parent)
    : QMainWindow(parent) {
    // The pages in the order of SettingsTab.
    m_pages = new QStackedWidget;
    auto* general = new GeneralPage(monitor, platform);
    connect(general, &GeneralPage::historyRequested, this, &SettingsWindow::historyRequested);
    m_pages->addWidget(SettingsForm::scrolled(general));
    m_pages->addWidget(SettingsForm::scrolled(new DetectionPage(monitor)));
    auto* positions = new PositionsPage(monitor, platform);
    connect(positions, &PositionsPage::newPositionRequested, this,
            &SettingsWindow::newPositionRequested);
    m_pages->addWidget(SettingsForm::scrolled(positions));
    m_pages->addWidget(SettingsForm::scrolled(new PermissionsPage));
    setCentralWidget(m_pages);
    m_pages->setCurrentIndex(static_cast<int>(tabs.tab()));

    // One size per page, chosen by the page: no resizing, no maximising.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setFixedWidth(660);
    m_toolbar = new SettingsToolbar(this);
    m_toolbar->attach(this, &tabs);
    connect(&tabs, &SettingsTabs::tabChanged, this, &SettingsWindow::showTab);
}

void SettingsWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The keyboard and a screen reader start on the page tabs, at the top.
    if (!m_focusPlaced && m_toolbar->pages()) {
        m_focusPlaced = true;
        m_toolbar->pages()->setFocus(Qt::OtherFocusReason);
    }
}

void SettingsWindow::showTab(SettingsTab tab) {
    m_pages->setCurrentIndex(static_cast<int>(tab));
    // The toolbar follows on the next turn, once the page has changed.
    QTimer::singleShot(0, m_toolbar, [toolbar = m_toolbar, tab] { toolbar->show(tab); });
}

void SettingsWindow::changeEvent(QEvent* event) {
    // A new application palette reaches the window before some of its children: the icons
    // are drawn again once every widget has it.
    if ((event->type() == QEvent::PaletteChange ||
         event->type() == QEvent::ApplicationPaletteChange) &&
        m_toolbar)
        QTimer::singleShot(0, m_toolbar, [toolbar = m_toolbar] { toolbar->repaintIcons(); });
    QMainWindow::changeEvent(event);
}

} // namespace tisko
