// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Monitor/Monitor.h"
#include "Tisko/System/PermissionState.h"
#include "TiskoCore/Uuid.h"

#include <QCoreApplication>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace tisko {

// What a row or button of the tray panel does when chosen.
enum class PanelAction {
    update,              // install the version on offer
    enableNotifications, // open the desktop's notification settings
    lookNow,
    newPosition,
    openSettings,
    resavePosition, // record the hinted position again
    dismissHint,
    selectPosition,
    resume,
    pauseHour,
    pauseTomorrow,
    quit,
};

// Whether choosing the action closes the panel first (everything that opens another window,
// the desktop's settings or the updater, and the pauses that end the user's business here).
bool closesPanel(PanelAction action);

// One choice in the panel.
struct PanelChoice {
    QString title;
    PanelAction action = PanelAction::quit;
    // Rows with a check column: whether the mark shows.
    std::optional<bool> checked;
    bool enabled = true;
    // The prominent style ("Crear posición…").
    bool prominent = false;
    // The position an action is about (select, resave).
    std::optional<Uuid> position;
    QString positionName;

    bool operator==(const PanelChoice&) const = default;
};

// A title with a detail under it.
struct PanelHeadline {
    QString title;
    QString detail;
    bool operator==(const PanelHeadline&) const = default;
};

// The panel's sections from top to bottom; absent sections are not shown.
struct PanelContent {
    std::optional<PanelChoice> update;
    // The warning that notifications are off, with its button.
    std::optional<QString> notificationsWarning;
    std::optional<PanelChoice> notificationsButton;
    PanelHeadline status;
    std::optional<PanelChoice> statusButton;
    // The hint that the active position no longer fits, with its two buttons.
    std::optional<QString> hint;
    std::vector<PanelChoice> hintButtons;
    // Empty when there is no position; else one row per position and "Nueva posición…".
    std::vector<PanelChoice> positions;
    std::vector<PanelChoice> pauseRows;
    std::vector<PanelChoice> footer;
};

// Everything the panel shows, read from the Monitor and the shared services.
struct PanelInputs {
    Monitor::State state;
    bool isLooking = false;
    std::optional<PostureVerdict> lastVerdict;
    std::optional<Date> lastCheck;
    bool lastCheckShared = false;
    bool trackerConnected = false;
    std::int64_t warningsToday = 0;
    CalibrationBook book;
    std::optional<ReferenceCheck::Problem> referenceSuspect;
    PermissionState notifications = PermissionState::unknown;
    std::optional<QString> availableVersion;
    bool laptop = false; // a lid that may be closed on the built-in camera
    Date now{};
    Calendar calendar;

    // The Monitor's state now, with the given notification state and version on offer.
    static PanelInputs from(const Monitor& monitor, PermissionState notifications,
                            std::optional<QString> availableVersion);
};

// Decides the sections, texts, conditions and actions of the tray panel.
class PanelModel {
    Q_DECLARE_TR_FUNCTIONS(PanelModel)

public:
    PanelModel() = delete;

    static PanelContent build(const PanelInputs& inputs);

    // "1 aviso hoy", else "<n> avisos hoy".
    static QString warningsText(std::int64_t count);
    // A time of day in the user's locale, short ("9:41").
    static QString shortTime(Date date);
    // The end of a pause: the short time when it falls today (by `calendar`), else an
    // abbreviated date and the short time.
    static QString pauseEnd(Date until, Date now, const Calendar& calendar);
};

} // namespace tisko
