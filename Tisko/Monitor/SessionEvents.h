// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

#include <memory>

namespace tisko {

// The session's events the Monitor reacts to.
class SessionEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The screens of this session and the machine's sleep; needs the QGuiApplication.
    static std::unique_ptr<SessionEvents> create();

Q_SIGNALS:
    // The set of connected displays changed.
    void displaysChanged();
    // The machine has just woken from sleep.
    void woke();
};

} // namespace tisko
