// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Interface/PermissionsModel.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <chrono>
#include <optional>

class QVBoxLayout;

namespace tisko {

// The "Permisos" page: camera, notifications and, optionally, the head tracker, each with
// its state and the way to grant it. While shown it reads the states again every
// `refreshEvery`, so a change made elsewhere shows up without reopening the window.
class PermissionsPage : public QWidget {
    Q_OBJECT
public:
    explicit PermissionsPage(
        std::chrono::milliseconds refreshEvery = std::chrono::milliseconds(1500),
        QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Reads the three states and redraws the rows; asks for the notification status, which
    // answers later.
    void refresh();
    // Rebuilds the rows when a state differs from the one shown.
    void redraw();
    QWidget* rowWidget(const PermissionsModel::Row& row);
    void ask(PrivacyPane pane);

    QVBoxLayout* m_required = nullptr;
    QVBoxLayout* m_optional = nullptr;
    QTimer m_timer;
    std::optional<std::array<PermissionState, 3>> m_shown;
    NotificationReach m_shownReach = NotificationReach::unknown;
};

} // namespace tisko
