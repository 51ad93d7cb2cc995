// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/PermissionsPage.h"

#include "Tisko/Camera/Cameras.h"
#include "Tisko/Interface/SettingsForm.h"
#include "Tisko/Interface/SettingsIcons.h"
#include "Tisko/Interface/TiskoColors.h"
#include "Tisko/System/NotificationPermission.h"
#include "Tisko/System/NotificationStatus.h"
#include "Tisko/System/Notifier.h"
#include "Tisko/System/Permissions.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tisko {

namespace {

constexpr int symbolSize = 17;
constexpr int symbolColumn = 24;
constexpr int badgeSize = 14;

PermissionState stateOf(PrivacyPane pane) {
    switch (pane) {
    case PrivacyPane::camera:
        return CameraPermission::state();
    case PrivacyPane::notifications:
        return NotificationStatus::shared().state();
    case PrivacyPane::motion:
        return MotionPermission::state();
    }
    return PermissionState::unknown;
}

} // namespace

PermissionsPage::PermissionsPage(std::chrono::milliseconds refreshEvery, QWidget* parent)
    : QWidget(parent) {
    QVBoxLayout* column = SettingsForm::column(this);
    m_required = SettingsForm::stack(SettingsForm::addSection(column, QString()));
    m_optional = SettingsForm::stack(SettingsForm::addSection(column, tr("Opcional")));
    column->addStretch(1);

    m_timer.setInterval(refreshEvery);
    connect(&m_timer, &QTimer::timeout, this, &PermissionsPage::refresh);
    connect(&NotificationStatus::shared(), &NotificationStatus::stateChanged, this,
            &PermissionsPage::redraw);
    connect(&NotificationStatus::shared(), &NotificationStatus::reachChanged, this,
            &PermissionsPage::redraw);
    redraw();
}

void PermissionsPage::showEvent(QShowEvent* event) {
    refresh();
    m_timer.start();
    QWidget::showEvent(event);
}

void PermissionsPage::hideEvent(QHideEvent* event) {
    m_timer.stop();
    QWidget::hideEvent(event);
}

void PermissionsPage::refresh() {
    NotificationPermission::refresh();
    redraw();
}

void PermissionsPage::redraw() {
    const std::array<PermissionState, 3> states = {stateOf(PrivacyPane::camera),
                                                   stateOf(PrivacyPane::notifications),
                                                   stateOf(PrivacyPane::motion)};
    // Rebuilding rows that did not change would take the focus off their buttons.
    const NotificationReach reach = NotificationStatus::shared().reach();
    if (m_shown == states && m_shownReach == reach)
        return;
    m_shown = states;
    m_shownReach = reach;
    SettingsForm::clear(m_required);
    SettingsForm::clear(m_optional);
    m_required->addWidget(rowWidget(PermissionsModel::row(PrivacyPane::camera, states[0])));
    m_required->addWidget(rowWidget(PermissionsModel::notificationRow(states[1], reach)));
    m_optional->addWidget(rowWidget(PermissionsModel::row(PrivacyPane::motion, states[2])));
}

QWidget* PermissionsPage::rowWidget(const PermissionsModel::Row& row) {
    auto* widget = new QWidget;
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(8);

    auto* symbol = new QLabel;
    symbol->setFixedWidth(symbolColumn);
    symbol->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    symbol->setPixmap(
        SettingsIcons::symbol(row.symbol, palette().color(QPalette::PlaceholderText), symbolSize));
    symbol->setAccessibleName(row.title);
    layout->addWidget(symbol, 0, Qt::AlignTop);

    auto* text = new QVBoxLayout;
    text->setSpacing(1);
    text->addWidget(new QLabel(row.title));
    text->addWidget(SettingsForm::footer(row.explanation));
    layout->addLayout(text, 1);

    const PrivacyPane pane = row.pane;
    if (row.badge == PermissionsModel::Badge::ask) {
        auto* allow = new QPushButton(tr("Permitir"));
        allow->setAccessibleName(tr("Permitir: %1").arg(row.title));
        connect(allow, &QPushButton::clicked, this, [this, pane] { ask(pane); });
        layout->addWidget(allow);
        return widget;
    }
    const bool granted = row.badge == PermissionsModel::Badge::granted;
    auto* mark = new QLabel;
    mark->setPixmap(SettingsIcons::mark(
        granted ? SettingsIcons::Mark::checkCircle : SettingsIcons::Mark::exclamationCircle,
        granted ? TiskoColors::good(palette()) : TiskoColors::warning(palette()), badgeSize));
    mark->setAccessibleName(PermissionsModel::badgeText(row.badge));
    layout->addWidget(mark);
    layout->addWidget(SettingsForm::secondary(PermissionsModel::badgeText(row.badge)));
    if (!granted) {
        auto* open = new QPushButton(tr("Abrir Ajustes"));
        open->setAccessibleName(tr("Abrir Ajustes: %1").arg(row.title));
        connect(open, &QPushButton::clicked, this,
                [this, pane] { openPrivacySettings(pane, window()); });
        layout->addWidget(open);
    }
    return widget;
}

void PermissionsPage::ask(PrivacyPane pane) {
    QPointer<PermissionsPage> page(this);
    auto reread = [page] {
        if (page)
            page->refresh();
    };
    switch (pane) {
    case PrivacyPane::camera:
        // No camera: nothing to grant yet, so the help says what to do.
        if (!Cameras::device(std::nullopt))
            openPrivacySettings(pane, window());
        CameraPermission::request([reread](bool) { reread(); });
        break;
    case PrivacyPane::notifications:
        Notifier::requestPermission([reread](bool) { reread(); });
        break;
    case PrivacyPane::motion:
        MotionPermission::request();
        reread();
        break;
    }
}

} // namespace tisko
