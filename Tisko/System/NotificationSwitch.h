// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace tisko {

// Whether the desktop has this application's notifications switched off: GNOME's
// per-application "enable" key (read through gsettings) and Plasma's per-application popups
// setting (plasmanotifyrc). Other desktops have no such switch and always let them through.
class NotificationSwitch {
public:
    // Where the switch is looked up; tests pass their own.
    struct Environment {
        // XDG_CURRENT_DESKTOP, a colon-separated list such as "ubuntu:GNOME".
        QString desktop;
        // The user's configuration folder (XDG_CONFIG_HOME or ~/.config).
        QString configHome;
        // The gsettings program.
        QString gsettings = QStringLiteral("gsettings");
    };

    // The environment of this process.
    static Environment fromProcess();

    // `desktopEntry` is the application id that names the desktop entry.
    explicit NotificationSwitch(QString desktopEntry, Environment environment = fromProcess());

    // Answers on `context`'s thread, never synchronously; an answer that does not come within
    // `timeoutMs` counts as switched on. Nothing is called once `context` is gone.
    void query(QObject* context, std::function<void(bool enabled)> handler,
               int timeoutMs = 2000) const;

    // Whether the whole desktop holds notifications back ("do not disturb": GNOME's
    // show-banners off); same answering rules as query(), an unanswered question is "no".
    void querySilenced(QObject* context, std::function<void(bool silenced)> handler,
                       int timeoutMs = 2000) const;

    // GNOME's settings path of the application: "/org/gnome/desktop/notifications/
    // application/io-github-tisko-tisko/".
    static QString gnomeSettingsPath(const QString& desktopEntry);
    // Whether plasmanotifyrc text lets the desktop entry's popups show.
    static bool plasmaShowsPopups(const QString& rcText, const QString& desktopEntry);

private:
    bool onDesktop(const QString& name) const;

    QString m_desktopEntry;
    Environment m_environment;
};

} // namespace tisko
