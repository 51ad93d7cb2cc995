// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/SettingsPage.h"

#include "Tisko/Support/SettingsStore.h"

namespace tisko {

SettingsPage::SettingsPage(QWidget* parent)
    : QWidget(parent) {}

void SettingsPage::refreshOnSetting(QLatin1String key, Qt::ConnectionType type) {
    connect(
        SettingsStore::notifier(), &SettingsNotifier::changed, this,
        [this, key](const QString& changedKey) {
            if (key.isEmpty() || changedKey == key)
                refresh();
        },
        type);
}

void SettingsPage::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

} // namespace tisko
