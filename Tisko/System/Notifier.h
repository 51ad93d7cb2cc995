// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/NotificationCenter.h"
#include "TiskoCore/PostureVerdict.h"

#include <QCoreApplication>
#include <QString>

#include <functional>

namespace tisko {

// Tisko's notifications: the permission request, the posture warning and the update notice.
// Each operation works on the current centre unless a test passes its own.
class Notifier {
    Q_DECLARE_TR_FUNCTIONS(Notifier)

public:
    Notifier() = delete;

    // Asks for permission to notify; `done`, if given, receives whether it was granted.
    static void requestPermission(std::function<void(bool granted)> done = {},
                                  NotificationCenter& center = NotificationCenter::current());

    // Receives, once, whether the server took the warning and the desktop lets it show.
    using Delivered = std::function<void(bool delivered)>;

    // Shows the warning for a tooClose or slouching verdict, replacing any earlier posture
    // warning; fine and away touch nothing. A warning that is not shown logs one line with
    // the cause ("Aviso no entregado: …"); either way `delivered`, if given, hears the outcome.
    // It does not decide whether a warning is due.
    static void post(const PostureVerdict& verdict, Delivered delivered = {},
                     NotificationCenter& center = NotificationCenter::current());

    // The warning for a tooClose or slouching verdict; nothing for fine and away.
    static std::optional<NotificationRequest> postureRequest(const PostureVerdict& verdict,
                                                             bool soundsEnabled);
    // The notice that a new version is ready; a click on it starts the update check.
    static NotificationRequest updateRequest(const QString& version);

    // Shows the update notice for `version`, replacing an earlier one.
    static void postUpdate(const QString& version,
                           NotificationCenter& center = NotificationCenter::current());
    // Takes the update notice off the screen.
    static void removeUpdate(NotificationCenter& center = NotificationCenter::current());

    // The quiet notice, where no tray shows the icon, that Tisko watches in the background and
    // how to open it; its button and a click open the window titled "Tisko".
    static NotificationRequest loginNoticeRequest();

    // The identifier shared by both posture warnings, so a new one replaces the last.
    static QString postureIdentifier();
    // The identifier of the update notice: the application id followed by ".update".
    static QString updateIdentifier();
    // The identifier of the login notice: the application id followed by ".background".
    static QString loginNoticeIdentifier();
};

} // namespace tisko
