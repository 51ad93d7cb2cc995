// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/NotificationCenter.h"

#include <QString>

namespace tisko {

// The notice, once per login, that Tisko watches in the background where no tray shows its
// icon. A file remembers the login it was last given in (the boot and the logind session), so
// that a second start in the same login stays quiet.
class LoginNotice {
public:
    // `markerPath` is the file that remembers the login; `bootIdPath` the kernel's boot id.
    explicit LoginNotice(QString markerPath,
                         QString bootIdPath = QStringLiteral("/proc/sys/kernel/random/boot_id"));
    // The notice remembered in the state folder, beside the log.
    static LoginNotice forStateFolder();

    // This login: the boot id and the session id logind gave it (XDG_SESSION_ID, or logind's
    // answer within half a second).
    QString currentLogin() const;
    // Posts the notice unless it was given in this login already, and remembers the login once
    // the desktop took it. Logs which of the three happened.
    void postOnce(NotificationCenter& center = NotificationCenter::current()) const;

private:
    QString m_markerPath;
    QString m_bootIdPath;
};

} // namespace tisko
