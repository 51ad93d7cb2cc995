// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Interface/SettingsTabs.h"
#include "Tisko/Monitor/Monitor.h"

#include <QDBusContext>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <functional>
#include <optional>

namespace tisko {

// What scripts, status bars and later launches may ask of the running Tisko, and what they
// may read of it. Published on the user's session bus as io.github.tisko.Tisko1 (its
// description is io.github.tisko.Tisko1.xml beside this file); the single-instance socket
// reaches the same operations, so both ways behave alike.
class ScriptingService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(QString State READ state)
    Q_PROPERTY(QString Summary READ summary)
    Q_PROPERTY(qulonglong PausedUntil READ pausedUntil)
    Q_PROPERTY(QString LastVerdict READ lastVerdict)
    Q_PROPERTY(uint WarningsToday READ warningsToday)
    Q_PROPERTY(uint ChecksToday READ checksToday)
    Q_PROPERTY(QString ActivePosition READ activePosition)

public:
    // The windows the application opens on request.
    struct Windows {
        std::function<void()> panel;
        // The page to open at; absent: the page the user left.
        std::function<void(std::optional<SettingsTab>)> settings;
        std::function<void()> history;
        std::function<void()> newPosition;
    };

    // The longest pause a caller may ask for, in minutes: a day.
    static constexpr uint longestPauseMinutes = 24 * 60;

    ScriptingService(Monitor& monitor, Windows windows, QObject* parent = nullptr);
    ~ScriptingService() override;

    // Publishes the object and takes the bus name on the session bus; false (and one line
    // logged) when there is no session bus or the name is taken.
    bool publish();

    // The fixed word of what the Monitor is doing: "watching", "looking", "paused",
    // "no-position", "no-camera", "camera-denied" or "away".
    QString state() const;
    // The tray icon's tooltip, in the user's language.
    QString summary() const;
    // The end of the pause in seconds since the epoch; 0 when not paused.
    qulonglong pausedUntil() const;
    // "fine", "too-close", "slouching", "away", or empty before the first check.
    QString lastVerdict() const;
    uint warningsToday() const;
    uint checksToday() const;
    // The active position's name; empty when there is none.
    QString activePosition() const;

public Q_SLOTS:
    void CheckNow();
    // Refused, with a D-Bus error when called over the bus, for 0 or more than a day.
    void Pause(uint minutes);
    void PauseUntilTomorrow();
    void Resume();
    void ShowPanel();
    // An empty page: the page left; an unknown one is refused.
    void ShowSettings(const QString& page);
    void ShowHistory();
    void NewPosition();

private:
    // Every property as it reads now, by name.
    QVariantMap snapshot() const;
    // Compares with what was last announced and sends PropertiesChanged for what differs.
    void announceChanges();
    void scheduleAnnouncement();
    void scheduleMidnight();
    // Logs the refusal and, for a caller on the bus, answers it with an error.
    void refuse(const QString& logLine, const QString& answer);

    Monitor& m_monitor;
    Windows m_windows;
    QVariantMap m_announced;
    QTimer m_coalesce;
    QTimer m_midnight;
    bool m_published = false;
};

} // namespace tisko
