// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/EdidSource.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tisko {

// The key of the connected displays: "displays:" followed by their UUIDs, sorted and joined
// with "+". Computed afresh on every call; outputs without an EDID are left out.
class DisplaySet {
public:
    DisplaySet() = delete;

    // The key of the displays connected now: RandR on X11 first, then /sys/class/drm.
    static QString currentKey();
    // The key from the first source that names a display by its EDID; "displays:" when
    // none does.
    static QString currentKey(const std::vector<EdidSource*>& sources);
    // The connectors of the displays connected now that give no EDID ("DP-1"), which the
    // key leaves out.
    static QStringList connectorsWithoutEdid();
    // The key of the given EDID blobs, in any order; blobs that do not parse are left out.
    static QString keyFor(const std::vector<QByteArray>& edids);
};

} // namespace tisko
