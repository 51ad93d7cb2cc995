// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QUrl>
#include <QVersionNumber>

namespace tisko {

// One release in the update feed.
struct AppcastItem {
    // The version compared with Tisko's own.
    QVersionNumber version;
    // The version as shown to the user: the feed's short version, else the version's text.
    QString displayVersion;
    // The page describing the release; empty when the feed gives none.
    QUrl releaseNotes;
    // The file of the release; empty when the feed gives none.
    QUrl enclosure;
    // The release's web page (the item's link); empty when the feed gives none.
    QUrl page;

    // Where "Descargar" leads: the file, else the release's page, else its notes.
    QUrl downloadAddress() const;

    bool operator==(const AppcastItem&) const = default;
};

} // namespace tisko
