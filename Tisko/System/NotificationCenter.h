// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/NotificationRequest.h"
#include "Tisko/System/NotificationStatus.h"

#include <QObject>
#include <QString>

#include <functional>

namespace tisko {

// The desktop's notification service as Tisko uses it: the permission status, adding and
// removing notifications, and clicks on them. Answers and signals arrive on the thread the
// centre lives in (the main thread for the current centre).
class NotificationCenter : public QObject {
    Q_OBJECT

public:
    // The permission codes of the notification service.
    enum AuthorizationStatus : int { notDetermined = 0, denied = 1, authorized = 2 };

    // Receives an AuthorizationStatus code.
    using StatusHandler = std::function<void(int status)>;
    // Receives whether notifications will be shown.
    using GrantHandler = std::function<void(bool granted)>;
    // Receives whether a warning would be seen now.
    using ReachHandler = std::function<void(NotificationReach reach)>;
    // Receives the reason the request was not accepted, or an empty text when it was.
    using AddHandler = std::function<void(const QString& error)>;

    using QObject::QObject;

    // The centre on the user's session bus, created on first use.
    static NotificationCenter& current();

    // Asks for the permission status and answers later, never synchronously.
    virtual void getAuthorizationStatus(StatusHandler handler) = 0;
    // Asks whether a warning would be seen now and answers later: by default allowed when
    // authorized, denied otherwise.
    virtual void getReach(ReachHandler handler) {
        getAuthorizationStatus([handler = std::move(handler)](int status) {
            handler(status == authorized ? NotificationReach::allowed : NotificationReach::denied);
        });
    }
    // Asks for permission to notify; the desktop never prompts, so this answers the status.
    virtual void requestAuthorization(GrantHandler handler) = 0;
    // Shows the request (replacing an earlier one with its identifier) and answers later.
    virtual void add(const NotificationRequest& request, AddHandler handler) = 0;
    // Takes the notification with this identifier off the screen, if it is still there.
    virtual void removeDelivered(const QString& identifier) = 0;
    // Why the service cannot be reached at all (no session bus), or an empty text.
    virtual QString unreachableReason() const = 0;

Q_SIGNALS:
    // The user clicked the notification with this identifier.
    void activated(const QString& identifier);
    // The service came or went, or said it was silenced or no longer is: time to ask again.
    void reachMayHaveChanged();
};

} // namespace tisko
