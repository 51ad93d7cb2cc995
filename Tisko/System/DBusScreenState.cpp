// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/DBusScreenState.h"

#include "Tisko/System/DBusQuery.h"

#include <QElapsedTimer>

namespace tisko {

namespace {

struct ScreenSaver {
    const char16_t* service;
    const char16_t* path;
};

constexpr ScreenSaver knownScreenSavers[] = {
    {u"org.freedesktop.ScreenSaver", u"/org/freedesktop/ScreenSaver"},
    {u"org.gnome.ScreenSaver", u"/org/gnome/ScreenSaver"},
    {u"org.xfce.ScreenSaver", u"/org/xfce/ScreenSaver"},
};

} // namespace

std::unique_ptr<ScreenState> ScreenState::create() {
    return std::make_unique<DBusScreenState>(QDBusConnection::systemBus(),
                                             QDBusConnection::sessionBus());
}

DBusScreenState::DBusScreenState(QDBusConnection systemBus, QDBusConnection sessionBus,
                                 std::chrono::milliseconds budget)
    : m_systemBus(std::move(systemBus))
    , m_sessionBus(std::move(sessionBus))
    , m_budget(budget) {}

bool DBusScreenState::isLocked() {
    QElapsedTimer clock;
    clock.start();
    DBusQuery logind(m_systemBus, m_budget);
    const std::optional<QVariant> lockedHint =
        logind.property(QStringLiteral("org.freedesktop.login1"),               // service
                        QStringLiteral("/org/freedesktop/login1/session/auto"), // path
                        QStringLiteral("org.freedesktop.login1.Session"),       // interface
                        QStringLiteral("LockedHint"), QMetaType::Bool);
    if (lockedHint)
        return lockedHint->toBool();

    DBusQuery screenSavers(m_sessionBus, m_budget - std::chrono::milliseconds(clock.elapsed()));
    for (const ScreenSaver& saver : knownScreenSavers) {
        const QString service = QString::fromUtf16(saver.service);
        const std::optional<QVariant> active = screenSavers.call(
            service, QString::fromUtf16(saver.path), service, QStringLiteral("GetActive"));
        if (active && active->metaType().id() == QMetaType::Bool)
            return active->toBool();
    }
    return false;
}

} // namespace tisko
