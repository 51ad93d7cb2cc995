// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Interface/PositionsModel.h"
#include "Tisko/System/PlatformServices.h"
#include "TiskoCore/Uuid.h"

#include "Tisko/Interface/SettingsPage.h"

#include <QString>

#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

class QToolButton;

namespace tisko {

class Monitor;

// The "Posiciones" page: the saved positions with the active one marked, choosing, renaming
// in place and deleting them, a new one, and choosing by the connected displays.
class PositionsPage : public SettingsPage {
    Q_OBJECT
public:
    PositionsPage(Monitor& monitor, PlatformServices platform, QWidget* parent = nullptr);

Q_SIGNALS:
    // "Nueva posición…": the recording window.
    void newPositionRequested();

protected:
    // Shows the book, the settings and the displays afresh.
    void refresh() override;

private:
    void rebuildRows();
    QWidget* rowWidget(const PositionsModel::Row& row);
    // The pieces of a row, from left to right.
    QToolButton* useMark(const PositionsModel::Row& row);
    QWidget* nameLabel(const PositionsModel::Row& row);
    QWidget* renameField(const PositionsModel::Row& row);
    QToolButton* moreButton(const PositionsModel::Row& row);
    void startRenaming(const Uuid& id, const QString& name);
    void finishRenaming();

    Monitor& m_monitor;
    PlatformServices m_platform;
    // The position being renamed and the text typed so far.
    std::optional<Uuid> m_editing;
    QString m_draftName;
    QVBoxLayout* m_rows = nullptr;
    QPushButton* m_newPosition = nullptr;
    QCheckBox* m_autoSelect = nullptr;
    QLabel* m_displaysFooter = nullptr;
};

} // namespace tisko
