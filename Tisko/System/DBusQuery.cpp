// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/DBusQuery.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace tisko {

DBusQuery::DBusQuery(QDBusConnection connection, std::chrono::milliseconds budget)
    : m_connection(std::move(connection))
    , m_budgetMs(budget.count()) {
    m_clock.start();
}

bool DBusQuery::expired() const {
    return m_clock.elapsed() >= m_budgetMs;
}

std::optional<QVariant> DBusQuery::call(const QString& service, const QString& path,
                                        const QString& interface, const QString& method,
                                        const QVariantList& arguments) {
    const qint64 remaining = m_budgetMs - m_clock.elapsed();
    if (remaining <= 0 || !m_connection.isConnected())
        return std::nullopt;
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    message.setAutoStartService(false);
    // Block waits for the reply without running the event loop, so nothing else of the
    // application runs in the middle of a probe.
    const QDBusMessage reply =
        m_connection.call(message, QDBus::Block, static_cast<int>(remaining));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return reply.arguments().constFirst();
}

std::optional<QVariant> DBusQuery::property(const QString& service, const QString& path,
                                            const QString& interface, const QString& name) {
    const std::optional<QVariant> reply =
        call(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
             QStringLiteral("Get"), {interface, name});
    if (!reply || reply->metaType() != QMetaType::fromType<QDBusVariant>())
        return std::nullopt;
    return qvariant_cast<QDBusVariant>(*reply).variant();
}

std::optional<QVariant> DBusQuery::property(const QString& service, const QString& path,
                                            const QString& interface, const QString& name,
                                            QMetaType::Type type) {
    std::optional<QVariant> value = property(service, path, interface, name);
    if (!value || value->metaType().id() != type)
        return std::nullopt;
    return value;
}

} // namespace tisko
