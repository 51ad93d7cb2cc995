// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/NotificationCenter.h"
#include "Tisko/System/NotificationSwitch.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QHash>

#include <deque>
#include <map>
#include <optional>

class QDBusPendingCallWatcher;

namespace tisko {

// The notification centre over org.freedesktop.Notifications. It remembers the id the server
// gave the last notification of each identifier and passes it as replaces_id, and listens for
// clicks on the same connection that sent the notifications (servers address their signals to
// the sender).
class DBusNotificationCenter final : public NotificationCenter {
    Q_OBJECT

public:
    // `connection` carries the calls and the signals; `appSwitch` is the desktop's
    // per-application switch.
    DBusNotificationCenter(QDBusConnection connection, NotificationSwitch appSwitch,
                           QObject* parent = nullptr);

    // Authorized while a server owns (or can be started for) the name and the desktop lets
    // Tisko's notifications through; denied otherwise.
    void getAuthorizationStatus(StatusHandler handler) override;
    void requestAuthorization(GrantHandler handler) override;
    void add(const NotificationRequest& request, AddHandler handler) override;
    void removeDelivered(const QString& identifier) override;
    QString unreachableReason() const override;

    // The application name passed with every notification.
    static QString applicationName();
    // The picture sent with each notification: the application's window icon, when there is a
    // graphical application with one.
    static std::optional<QDBusArgument> appImage();

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    struct Pending {
        NotificationRequest request;
        AddHandler handler;
    };

    void checkServer(StatusHandler handler);
    void sendNext(const QString& identifier);
    void notify(const QString& identifier, bool serverReadsMarkup);
    void finish(const QString& identifier, uint id, const QString& error);
    QDBusPendingCallWatcher* call(const QString& method, const QVariantList& arguments,
                                  int timeoutMs);

    QDBusConnection m_connection;
    NotificationSwitch m_switch;
    // Requests per identifier; the front one is with the server. The next waits for its id, so
    // that it replaces rather than doubles the notification.
    std::map<QString, std::deque<Pending>> m_queues;
    // The server's id of the notification on screen for each identifier.
    QHash<QString, uint> m_ids;
};

} // namespace tisko
