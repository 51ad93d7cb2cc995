// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/DisplayWatcher.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace tisko {

DisplayWatcher::DisplayWatcher(QObject* parent)
    : QObject(parent) {
    Q_ASSERT(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr);
    auto* app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, this, &DisplayWatcher::changeSeen);
    connect(app, &QGuiApplication::screenRemoved, this, &DisplayWatcher::changeSeen);
    connect(app, &QGuiApplication::primaryScreenChanged, this, &DisplayWatcher::changeSeen);
}

void DisplayWatcher::changeSeen() {
    if (m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        Q_EMIT displaysChanged();
    });
}

} // namespace tisko
