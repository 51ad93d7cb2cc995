// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/AppcastItem.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace tisko {

// Reads an update feed: an RSS document whose items carry a version, a short version, a
// release-notes link and an enclosure, as elements or as attributes of the enclosure, under
// any namespace prefix.
class Appcast {
public:
    // What reading a feed gave: its usable items, and why the feed or an item was refused.
    struct Reading {
        std::vector<AppcastItem> items;
        // Empty when everything was read; else the first problem, in words for the log.
        QString problem;
        // Whether the whole feed was refused (not XML, not RSS).
        bool refused = false;
    };

    Appcast() = delete;

    // Reads `document`. Items with an unreadable version are left out and named in `problem`;
    // links other than http and https are dropped.
    static Reading read(const QByteArray& document);
    // The item with the highest version above `current`, if any.
    static std::optional<AppcastItem> newest(const std::vector<AppcastItem>& items,
                                             const QVersionNumber& current);
    // `text` as a version number, when all of it is one ("0.10", "1.2.3") and it is no longer
    // than 64 characters; absent otherwise.
    static std::optional<QVersionNumber> versionFrom(const QString& text);
};

} // namespace tisko
