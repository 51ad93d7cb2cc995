// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/AppcastFetcher.h"
#include "Tisko/System/NotificationCenter.h"
#include "Tisko/System/UpdateOutcome.h"
#include "TiskoCore/Date.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QVersionNumber>

#include <chrono>
#include <functional>
#include <optional>

namespace tisko {

// Offers new versions of Tisko: checks the update feed on a schedule and when the user asks,
// publishes the version on offer, and decides how a finding reaches the user. A scheduled
// finding while none of Tisko's windows is active becomes a notification; any other finding,
// and every answer to a user-initiated check, asks for the update window. Nothing is
// downloaded or installed: the window leads to the release in the browser.
class Updater : public QObject {
    Q_OBJECT
public:
    // What the updater asks of its surroundings; tests give their own.
    struct Environment {
        // The time now.
        std::function<Date()> now;
        // A jitter from -1 to 1 for each scheduled interval.
        std::function<double()> jitter;
        // Whether one of Tisko's windows is active.
        std::function<bool()> inFocus;
        // Where the update notice goes.
        NotificationCenter* center = nullptr;
        // The feed used when the settings give none; empty turns checks off.
        QString builtInFeed;
        // The running version.
        QVersionNumber current;
        // The longest a whole check may take, however slowly the server answers; a check
        // still running then fails, and a user waiting for it is told.
        std::chrono::milliseconds checkTime = std::chrono::seconds(60);

        // The real clock, a random jitter, the application's focus, the session's
        // notification centre, the feed and version of this build.
        static Environment ofThisProcess();
    };

    // Starts the schedule; the first check comes no sooner than a minute from now.
    explicit Updater(Environment environment, QObject* parent = nullptr);
    ~Updater() override;

    // The process's updater, created (and its schedule started) on first use.
    static Updater& shared();

    // The display version of an update on offer; absent when there is none. Starts as the
    // "previewUpdate" setting.
    std::optional<QString> availableVersion() const { return m_availableVersion; }
    // The feed in use: the "updateFeedURL" setting when set, else the build's; empty when
    // checks are off.
    QUrl feed() const;
    // When the next scheduled check is due; absent while checks are off.
    std::optional<Date> nextCheck() const { return m_nextCheck; }

    // The check the user asks for (menu, panel, settings, notification): its answer always
    // comes as windowRequested.
    void checkForUpdates();
    // Runs the scheduled check if it is due now, and plans the next; the schedule's timer
    // calls it.
    void checkIfDue();
    // The update window is on screen: the update notice is taken away.
    void windowShown();
    // The update window was closed: the update session ends and nothing is on offer any more.
    void finishSession();

Q_SIGNALS:
    // availableVersion() changed.
    void availableVersionChanged();
    // The update window should show `outcome`.
    void windowRequested(const UpdateOutcome& outcome);

private:
    void startCheck(bool userInitiated);
    void answer(const AppcastFetcher::Result& result);
    void setAvailableVersion(const std::optional<QString>& version);
    void plan();
    void refuse(const QString& reason, bool userInitiated);

    Environment m_environment;
    AppcastFetcher m_fetcher;
    QTimer m_timer;
    Date m_launch;
    std::optional<Date> m_nextCheck;
    double m_jitter = 0;
    std::optional<QString> m_availableVersion;
    bool m_checking = false;
    bool m_userInitiated = false;
};

} // namespace tisko
