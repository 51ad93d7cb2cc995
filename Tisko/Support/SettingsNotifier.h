// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

namespace tisko {

// Tells bound controls that a setting was written through SettingsStore.
class SettingsNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    // A write changed the stored value of `key` (an equal write emits nothing).
    void changed(const QString& key);
};

} // namespace tisko
