// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/SessionEvents.h"

#include "Tisko/System/DisplayWatcher.h"
#include "Tisko/System/WakeWatcher.h"

#include <QDBusConnection>

namespace tisko {

std::unique_ptr<SessionEvents> SessionEvents::create() {
    auto events = std::make_unique<SessionEvents>();
    // Both watchers are children of the events object and forward into its signals.
    auto* displays = new DisplayWatcher(events.get());
    QObject::connect(displays, &DisplayWatcher::displaysChanged, events.get(),
                     &SessionEvents::displaysChanged);
    auto* wake = new WakeWatcher(QDBusConnection::systemBus(), events.get());
    QObject::connect(wake, &WakeWatcher::woke, events.get(), &SessionEvents::woke);
    return events;
}

} // namespace tisko
