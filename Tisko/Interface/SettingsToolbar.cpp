// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/SettingsToolbar.h"

#include "Tisko/Interface/SettingsIcons.h"

#include <QAction>
#include <QMainWindow>
#include <QPainter>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolBar>

#include <cmath>

namespace tisko {

namespace {

constexpr int tabIconSize = 24;
constexpr SettingsTab allTabs[] = {SettingsTab::general, SettingsTab::detection,
                                   SettingsTab::positions, SettingsTab::permissions};

QString label(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return SettingsToolbar::tr("General");
    case SettingsTab::detection:
        return SettingsToolbar::tr("Avisos");
    case SettingsTab::positions:
        return SettingsToolbar::tr("Posiciones");
    case SettingsTab::permissions:
        return SettingsToolbar::tr("Permisos");
    }
    return {};
}

QWidget* spacer() {
    auto* widget = new QWidget;
    widget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return widget;
}

// The pages as tabs: an icon over its label, the chosen one on a soft rounded ground. A real
// tab bar, so that the keyboard reaches it and assistive technology sees page tabs.
class PageTabs : public QTabBar {
public:
    explicit PageTabs(QWidget* parent = nullptr)
        : QTabBar(parent) {
        setDrawBase(false);
        setExpanding(false);
        setUsesScrollButtons(false);
        setFocusPolicy(Qt::StrongFocus);
        setIconSize(QSize(tabIconSize, tabIconSize));
    }

protected:
    QSize tabSizeHint(int index) const override {
        const QFontMetrics metrics(font());
        return {std::max(76, metrics.horizontalAdvance(tabText(index)) + 24),
                tabIconSize + metrics.height() + 3 * margin};
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QFontMetrics metrics(font());
        for (int i = 0; i < count(); ++i) {
            const QRectF box = QRectF(tabRect(i)).adjusted(2, 2, -2, -2);
            if (i == currentIndex()) {
                QColor ground = palette().color(QPalette::WindowText);
                ground.setAlphaF(0.10f);
                painter.setPen(hasFocus() ? QPen(palette().color(QPalette::Highlight), 2)
                                          : QPen(Qt::NoPen));
                painter.setBrush(ground);
                painter.drawRoundedRect(box, 6, 6);
            }
            const QRect tab = tabRect(i);
            tabIcon(i).paint(&painter, QRect(tab.center().x() - tabIconSize / 2, tab.top() + margin,
                                             tabIconSize, tabIconSize));
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(QRect(tab.left(), tab.top() + margin + tabIconSize + margin / 2,
                                   tab.width(), metrics.height()),
                             Qt::AlignHCenter | Qt::AlignTop, tabText(i));
        }
    }

private:
    static constexpr int margin = 6;
};

} // namespace

SettingsToolbar::SettingsToolbar(QObject* parent)
    : QObject(parent) {}

void SettingsToolbar::attach(QMainWindow* window, SettingsTabs* tabs) {
    m_window = window;
    m_tabs = tabs;
    auto* toolbar = new QToolBar(window);
    toolbar->setObjectName(QStringLiteral("settings"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->toggleViewAction()->setEnabled(false);
    m_toolbar = toolbar;

    auto* pages = new PageTabs(toolbar);
    pages->setObjectName(QStringLiteral("pages"));
    pages->setAccessibleName(tr("Páginas de ajustes"));
    for (SettingsTab tab : allTabs)
        pages->addTab(label(tab));
    m_pages = pages;
    toolbar->addWidget(spacer());
    toolbar->addWidget(pages);
    toolbar->addWidget(spacer());
    // However a tab is chosen (pointer, keyboard, assistive technology), it shows its page.
    connect(pages, &QTabBar::currentChanged, this, [this](int index) {
        if (m_tabs && index >= 0 && index < static_cast<int>(std::size(allTabs)))
            m_tabs->setTab(allTabs[index]);
    });
    repaintIcons();
    window->addToolBar(Qt::TopToolBarArea, toolbar);
    window->setWindowTitle(tr("Ajustes de Tisko"));

    // The usual page shortcuts: Ctrl+Tab and Ctrl+PageDown go on, Ctrl+Shift+Tab and
    // Ctrl+PageUp go back (both round), Alt+1 to Alt+4 go to a page.
    auto step = [this](int by) {
        if (!m_pages)
            return;
        const int count = m_pages->count();
        m_pages->setCurrentIndex((m_pages->currentIndex() + by + count) % count);
    };
    const std::pair<QKeyCombination, int> steps[] = {{Qt::CTRL | Qt::Key_Tab, 1},
                                                     {Qt::CTRL | Qt::Key_PageDown, 1},
                                                     {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1},
                                                     {Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, -1},
                                                     {Qt::CTRL | Qt::Key_PageUp, -1}};
    for (const auto& [keys, by] : steps)
        new QShortcut(QKeySequence(keys), window, [step, by = by] { step(by); });
    for (int i = 0; i < static_cast<int>(std::size(allTabs)); ++i) {
        new QShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + i)), window,
                      [this, i] {
                          if (m_pages)
                              m_pages->setCurrentIndex(i);
                      });
    }
    show(tabs->tab());
}

void SettingsToolbar::repaintIcons() {
    if (!m_pages)
        return;
    const QColor color = m_pages->palette().color(QPalette::WindowText);
    for (int i = 0; i < static_cast<int>(std::size(allTabs)); ++i)
        m_pages->setTabIcon(
            i, SettingsIcons::symbolIcon(QStringLiteral("settings-") + rawValue(allTabs[i]), color,
                                         tabIconSize));
}

void SettingsToolbar::show(SettingsTab tab) {
    if (m_pages) {
        const QSignalBlocker blocker(m_pages);
        m_pages->setCurrentIndex(static_cast<int>(tab));
    }
    if (!m_window)
        return;
    // The page's own height below the toolbar; the window is not resized by hand.
    const int height = contentHeight(tab) + (m_toolbar ? m_toolbar->sizeHint().height() : 0);
    if (resizedFrame(m_window->geometry(), height))
        m_window->setFixedHeight(height);
}

int SettingsToolbar::contentHeight(SettingsTab tab) {
    switch (tab) {
    case SettingsTab::general:
        return 400;
    case SettingsTab::detection:
        return 600;
    case SettingsTab::positions:
        return 460;
    case SettingsTab::permissions:
        return 370;
    }
    return 400;
}

std::optional<QRectF> SettingsToolbar::resizedFrame(const QRectF& frame, qreal height) {
    if (std::abs(frame.height() - height) <= 0.5)
        return std::nullopt;
    return QRectF(frame.x(), frame.top(), frame.width(), height);
}

} // namespace tisko
