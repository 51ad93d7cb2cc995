// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tisko {

// The command-line switch that decides a launch. "--help" (or "-h") and "--version" anywhere
// win; the others are scanned in a fixed order: "--show-settings", "--look", "--hold",
// "--check", "--pause", "--resume", "--render-windows", then "--make-model-copy". Only the
// first occurrence of a switch counts; the items it needs are the arguments right after it, and a
// switch without them is ignored.
struct LaunchSwitches {
    enum class Kind {
        none,
        help,
        version,
        showSettings,
        look,
        hold,
        check,
        pause,
        resume,
        renderWindows,
        makeModelCopy,
        // A switch with an item it cannot take (`path` holds the item): nothing runs.
        invalid
    };

    Kind kind = Kind::none;
    // --show-settings: the tab name after it, if any (not checked here).
    std::optional<QString> tab;
    // --look, --hold: the output file; --render-windows, --make-model-copy: the output folder.
    QString path;
    // --hold: seconds to hold the camera open (10 when the item is not a number).
    double seconds = 10;
    // --hold: the forced picture width, when a third item reads as a 32-bit integer.
    std::optional<int> width;
    // The arguments no switch knows and no switch takes as its item, in their order.
    QStringList ignored;
    // "--autostart", anywhere: the login started Tisko, so it opens no window unasked.
    bool autostart = false;
    // --pause: the minutes, from 1 to a day; absent for "tomorrow" (until local midnight).
    std::optional<unsigned> pauseMinutes;

    // Scans the process's arguments, the executable's own path included.
    static LaunchSwitches scan(const QStringList& arguments);

    // The short usage that --help prints: every switch and environment variable.
    static QString usage();
    // What --version prints.
    static QString versionLine();
    // The line printed on stderr for a pause that cannot be taken.
    static QString invalidPauseLine(const QString& item);
    // The line printed on stderr for an argument that is ignored.
    static QString ignoredLine(const QString& argument);
    // The line printed on stderr when Tisko is started where there is no display.
    static QString noDisplayLine();

    bool operator==(const LaunchSwitches&) const = default;
};

} // namespace tisko
