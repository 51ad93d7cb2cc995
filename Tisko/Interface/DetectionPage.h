// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Interface/SettingsPage.h"

#include <functional>

class QCheckBox;
class QComboBox;

namespace tisko {

class Monitor;

// The "Avisos" page: what to warn about, how often to look and warn, the sound, and the head
// tracker. A change of the interval, the cool-down or the tracker takes effect at once.
class DetectionPage : public SettingsPage {
    Q_OBJECT
public:
    explicit DetectionPage(Monitor& monitor, QWidget* parent = nullptr);

protected:
    // Shows the settings file afresh, in case it was edited meanwhile.
    void refresh() override;

private:
    // Ties each control to its setting.
    void bindControls();

    Monitor& m_monitor;
    QCheckBox* m_closeness = nullptr;
    QCheckBox* m_slouch = nullptr;
    QComboBox* m_sensitivity = nullptr;
    QComboBox* m_interval = nullptr;
    QComboBox* m_cooldown = nullptr;
    QCheckBox* m_sounds = nullptr;
    QCheckBox* m_tracker = nullptr;
};

} // namespace tisko
