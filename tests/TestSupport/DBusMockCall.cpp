// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DBusMockCall.h"

namespace tisko::test {

QDBusMessage callDBusMock(QDBusConnection bus, const QString& service, const QString& path,
                          const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Mock"), method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, 5000);
}

} // namespace tisko::test
