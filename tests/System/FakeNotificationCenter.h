// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/NotificationCenter.h"

#include <QMetaObject>

#include <vector>

namespace tisko::test {

// A notification centre that records what it is asked and answers, on the next turn of the
// event loop, with the status the test sets.
class FakeNotificationCenter final : public NotificationCenter {
public:
    int status = authorized;
    std::vector<NotificationRequest> added;
    std::vector<QString> removed;

    void getAuthorizationStatus(StatusHandler handler) override {
        QMetaObject::invokeMethod(
            this, [handler, code = status] { handler(code); }, Qt::QueuedConnection);
    }
    void requestAuthorization(GrantHandler handler) override {
        getAuthorizationStatus([handler](int code) { handler(code == authorized); });
    }
    void add(const NotificationRequest& request, AddHandler handler) override {
        added.push_back(request);
        if (handler)
            QMetaObject::invokeMethod(
                this, [handler] { handler({}); }, Qt::QueuedConnection);
    }
    void removeDelivered(const QString& identifier) override { removed.push_back(identifier); }
    QString unreachableReason() const override { return {}; }
};

} // namespace tisko::test
