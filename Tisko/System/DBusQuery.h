// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QString>
#include <QVariant>

#include <chrono>
#include <optional>

namespace tisko {

// Questions to D-Bus services under one shared time budget, for probes that run on the main
// thread: a service that does not answer in time, an error, and a reply of the wrong shape
// all read as absent. Nothing is ever started by bus activation.
class DBusQuery {
public:
    // The budget covers every call made through this object.
    DBusQuery(QDBusConnection connection, std::chrono::milliseconds budget);

    // The first argument of the method's reply.
    std::optional<QVariant> call(const QString& service, const QString& path,
                                 const QString& interface, const QString& method,
                                 const QVariantList& arguments = {});
    // The value of a property, unwrapped from its variant.
    std::optional<QVariant> property(const QString& service, const QString& path,
                                     const QString& interface, const QString& name);
    // The same, but only when the value has the given type.
    std::optional<QVariant> property(const QString& service, const QString& path,
                                     const QString& interface, const QString& name,
                                     QMetaType::Type type);

    // True once the budget is spent; later calls answer absent at once.
    bool expired() const;

private:
    QDBusConnection m_connection;
    QElapsedTimer m_clock;
    qint64 m_budgetMs;
};

} // namespace tisko
