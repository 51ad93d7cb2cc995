// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantList>

namespace tisko::test {

// Calls a method of python3-dbusmock's control interface (org.freedesktop.DBus.Mock) on the
// object `path` of `service`, waiting five seconds at most; returns the reply or the error.
QDBusMessage callDBusMock(QDBusConnection bus, const QString& service, const QString& path,
                          const QString& method, const QVariantList& arguments);

} // namespace tisko::test
