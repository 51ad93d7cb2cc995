// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Support/SettingsNotifier.h"
#include "TiskoCore/Date.h"
#include "TiskoCore/Thresholds.h"
#include "TiskoCore/Uuid.h"

#include <QLatin1String>
#include <QString>

#include <optional>

namespace tisko {

// The user's settings in $XDG_CONFIG_HOME/Tisko/Tisko.conf, with their defaults and reading
// rules in one place. Every accessor reads the file afresh; safe from any thread.
class SettingsStore {
public:
    SettingsStore() = delete;

    // The keys as they stand in the file.
    static constexpr QLatin1String intervalKey{"interval"};
    static constexpr QLatin1String sensitivityKey{"sensitivity"};
    static constexpr QLatin1String watchClosenessKey{"watchCloseness"};
    static constexpr QLatin1String watchSlouchKey{"watchSlouch"};
    static constexpr QLatin1String cooldownMinutesKey{"cooldownMinutes"};
    static constexpr QLatin1String useAirPodsKey{"useAirPods"};
    static constexpr QLatin1String soundsEnabledKey{"soundsEnabled"};
    static constexpr QLatin1String autoSelectByDisplaysKey{"autoSelectByDisplays"};
    static constexpr QLatin1String showsMenuBarIconKey{"showsMenuBarIcon"};
    static constexpr QLatin1String pausedUntilKey{"pausedUntil"};
    static constexpr QLatin1String loginItemConfiguredKey{"loginItemConfigured"};
    static constexpr QLatin1String previewUpdateKey{"previewUpdate"};
    static constexpr QLatin1String updateFeedURLKey{"updateFeedURL"};
    static constexpr QLatin1String lastUpdateCheckKey{"lastUpdateCheck"};
    // Followed by a position's id in canonical uppercase form.
    static constexpr QLatin1String referenceHintDismissedPrefix{"referenceHintDismissed."};

    // Seconds between clock looks: a stored value of at least 30, else 180.
    static double interval();
    // Sensitivity level: a stored level from 1 to 5, else 3 ("Normal").
    static int sensitivity();
    // The thresholds of the sensitivity level.
    static Thresholds thresholds();
    // Whether a face too close to the screen is warned about (default true).
    static bool watchCloseness();
    // Whether slouching is warned about (default true).
    static bool watchSlouch();
    // Base cool-down in minutes: a stored value above 0, else 10.
    static double cooldownMinutes();
    // Base cool-down in seconds (cooldownMinutes × 60).
    static double cooldown();
    // Whether the head tracker's pitch may trigger looks (default true).
    static bool useAirPods();
    // Whether warnings play a sound (default true).
    static bool soundsEnabled();
    // Whether a change of displays selects the position recorded with them (default true).
    static bool autoSelectByDisplays();
    // Whether the tray icon is shown (default true).
    static bool showsMenuBarIcon();
    // The end of a pause; absent when unset or not a date.
    static std::optional<Date> pausedUntil();
    // Whether the hint to re-record position `id` is dismissed at `now`.
    static bool referenceHintDismissed(const Uuid& id, Date now);
    // Whether Tisko has already registered itself to open at login (default false).
    static bool loginItemConfigured();
    // A version set by hand to be taken as already on offer; absent when unset.
    static std::optional<QString> previewUpdate();
    // The update feed's address set by hand (empty turns checks off); absent when unset.
    static std::optional<QString> updateFeedURL();
    // When the last update check started; absent when never or not a date.
    static std::optional<Date> lastUpdateCheck();

    // Writers; each tells notifier() when the stored value changes.
    static void setInterval(double seconds);
    static void setSensitivity(int level);
    static void setWatchCloseness(bool on);
    static void setWatchSlouch(bool on);
    static void setCooldownMinutes(double minutes);
    static void setUseAirPods(bool on);
    static void setSoundsEnabled(bool on);
    static void setAutoSelectByDisplays(bool on);
    static void setShowsMenuBarIcon(bool on);
    // Pausing stores the date; resuming (no date) removes the key.
    static void setPausedUntil(std::optional<Date> until);
    // Stores `until` under the position's key.
    static void setReferenceHintDismissed(const Uuid& id, Date until);
    static void setLoginItemConfigured(bool configured);
    // An empty address turns update checks off; no address goes back to the built-in feed.
    static void setUpdateFeedURL(const std::optional<QString>& address);
    static void setLastUpdateCheck(Date when);

    // The settings file.
    static QString filePath();
    // The process-wide object whose changed(key) signal follows every write above.
    static SettingsNotifier* notifier();
};

} // namespace tisko
