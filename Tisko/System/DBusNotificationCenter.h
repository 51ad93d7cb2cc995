// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/NotificationCenter.h"
#include "Tisko/System/NotificationSwitch.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
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
    // per-application switch; a server that has not answered a call in `callTimeoutMs` is
    // taken for hung.
    DBusNotificationCenter(QDBusConnection connection, NotificationSwitch appSwitch,
                           QObject* parent = nullptr, int callTimeoutMs = 5000);

    // Keeps the server's id of the last notification of `identifier` in the file `path`, so
    // that a later Tisko, on the same bus and with the same server, replaces that one too.
    // An id kept for another bus or server (a new login, a restarted server) is not used: it
    // could name another program's notification there.
    void rememberIn(const QString& path, const QString& identifier);

    // The reason, in the log's words, a call to the notification server failed with `error`.
    static QString failureReason(const QDBusError& error);

    // Authorized while a server owns (or can be started for) the name and the desktop lets
    // Tisko's notifications through; denied otherwise.
    void getAuthorizationStatus(StatusHandler handler) override;
    void requestAuthorization(GrantHandler handler) override;
    // No service when none answers GetServerInformation (also one the bus fails to start);
    // denied when the desktop's switch is off; silenced when the server says it is inhibited
    // (Plasma) or paused (dunst), XFCE's notifyd has do-not-disturb on or GNOME's banners are
    // off; allowed otherwise.
    void getReach(ReachHandler handler) override;
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
    void onSettingChanged() { Q_EMIT reachMayHaveChanged(); }

private:
    struct Pending {
        NotificationRequest request;
        AddHandler handler;
    };

    void checkServer(StatusHandler handler);
    // Asks whether the desktop holds notifications back; answers once, every source heard.
    void askSilenced(std::function<void(bool silenced)> handler);
    void sendNext(const QString& identifier);
    void notify(const QString& identifier, bool serverReadsMarkup);
    void finish(const QString& identifier, uint id, const QString& error);
    QDBusPendingCallWatcher* call(const QString& method, const QVariantList& arguments,
                                  int timeoutMs);

    QDBusConnection m_connection;
    NotificationSwitch m_switch;
    int m_callTimeoutMs;
    // The kept id of one identifier: the file, the bus it is valid on (its id and the
    // server's unique name), and the id; this bus's id once it answered.
    struct Remembered {
        QString path;
        QString identifier;
        QString bus;
        QString server;
        uint id = 0;
    };
    Remembered m_remembered;
    QString m_busId;
    // The unique name of the server that answered last.
    QString m_server;
    // Requests per identifier; the front one is with the server. The next waits for its id, so
    // that it replaces rather than doubles the notification.
    std::map<QString, std::deque<Pending>> m_queues;
    // The server's id of the notification on screen for each identifier.
    QHash<QString, uint> m_ids;
};

} // namespace tisko
