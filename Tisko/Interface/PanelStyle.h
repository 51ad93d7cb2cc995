// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFont>

namespace tisko {

// The tray panel's fonts and measures, in logical pixels at 1×.
struct PanelStyle {
    static constexpr int width = 300;
    static constexpr int horizontalPadding = 14;
    static constexpr int rowVerticalPadding = 5;
    static constexpr int rowSpacing = 6;
    static constexpr int checkColumn = 12;

    // The menu font at its size.
    static QFont menuItem();
    // The menu font two points smaller, for details.
    static QFont menuDetail();
    // The menu font at its size, medium weight, for titles.
    static QFont menuProminent();
};

} // namespace tisko
