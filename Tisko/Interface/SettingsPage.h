// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLatin1String>
#include <QWidget>

namespace tisko {

// A page of the settings window: it shows what it reads afresh each time it is shown and
// each time a setting it follows changes, since the settings file may change behind it.
class SettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPage(QWidget* parent = nullptr);

protected:
    // Reads what the page shows again.
    virtual void refresh() = 0;
    // Refreshes the page each time the setting `key` changes (any setting when `key` is
    // empty); queued where a control must not be refilled inside its own signal.
    void refreshOnSetting(QLatin1String key, Qt::ConnectionType type = Qt::AutoConnection);
    void showEvent(QShowEvent* event) override;
};

} // namespace tisko
