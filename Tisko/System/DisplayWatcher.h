// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

namespace tisko {

// Tells when the set of screens changes: a screen added or removed, or another primary.
// Changes that arrive together (a configuration applied in several steps) give one signal.
class DisplayWatcher : public QObject {
    Q_OBJECT
public:
    // Needs the QGuiApplication to exist.
    explicit DisplayWatcher(QObject* parent = nullptr);

Q_SIGNALS:
    // The screens changed; read DisplaySet::currentKey() again.
    void displaysChanged();

private:
    void changeSeen();

    bool m_pending = false;
};

} // namespace tisko
