// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/AppcastItem.h"

#include <QString>

namespace tisko {

// What an update check found, as the update window shows it.
struct UpdateOutcome {
    // A newer release, none, or no answer from the feed.
    enum class Kind { found, upToDate, failed };

    Kind kind = Kind::upToDate;
    // The release on offer (kind found).
    AppcastItem item;
    // Why the check failed (kind failed), in words for the log.
    QString error;
};

} // namespace tisko
