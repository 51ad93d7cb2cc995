// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QPalette>

namespace tisko {

// Tisko's own colours beside the palette's: green for what is well, orange for what needs
// the user. Each stands at least 3:1 apart from the palette's window colour, light or dark, so
// a dot, a badge or a bar in it can be told from the ground.
class TiskoColors {
public:
    TiskoColors() = delete;

    // Sitting well, a permission granted, a look under way.
    static QColor good(const QPalette& palette);
    // A warning, a bad verdict, something missing.
    static QColor warning(const QPalette& palette);
    // Text in a shade of the warning colour that reads (4.5:1) on the palette's window.
    static QColor warningText(const QPalette& palette);

private:
    static bool isDark(const QPalette& palette);
};

} // namespace tisko
