#include "Tisko/Interface/SettingsToolbar.h"

#include "Tisko/Interface/SettingsIcons.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QToolBar>

#include <cmath>

namespace tisko {

namespace {

constexpr int iconSize = 24;
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
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setIconSize(QSize(iconSize, iconSize));
    toolbar->toggleViewAction()->setEnabled(false);
    m_toolbar = toolbar;

    auto* group = new QActionGroup(toolbar);
    group->setExclusive(true);
    toolbar->addWidget(spacer());
    for (SettingsTab tab : allTabs) {
        QAction* item = toolbar->addAction(label(tab));
        item->setObjectName(rawValue(tab));
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, tab] {
            if (m_tabs)
                m_tabs->setTab(tab);
        });
        m_items[tab] = item;
    }
    toolbar->addWidget(spacer());
    repaintIcons();
    window->addToolBar(Qt::TopToolBarArea, toolbar);
    window->setWindowTitle(tr("Ajustes de Tisko"));
    show(tabs->tab());
}

void SettingsToolbar::repaintIcons() {
    if (!m_toolbar)
        return;
    const QColor color = m_toolbar->palette().color(QPalette::WindowText);
    for (const auto& [tab, item] : m_items)
        item->setIcon(SettingsIcons::symbolIcon(QStringLiteral("settings-") + rawValue(tab), color,
                                                iconSize));
}

void SettingsToolbar::show(SettingsTab tab) {
    if (m_toolbar)
        m_items[tab]->setChecked(true);
    if (!m_window)
        return;
    const std::optional<QRectF> frame = resizedFrame(m_window->geometry(), contentHeight(tab));
    if (frame)
        m_window->setGeometry(frame->toRect());
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
