// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tisko {

// The symbols of the settings window, drawn in a colour of the palette so that they follow
// light and dark without separate files.
class SettingsIcons {
public:
    SettingsIcons() = delete;

    // The marks drawn in code: a filled circle with a tick or an exclamation mark, an empty
    // circle, and the three dots of a row's menu.
    enum class Mark { checkCircle, exclamationCircle, circle, ellipsis };

    // The SVG symbol ":/tisko/<name>.svg" in `color`, `size` pixels square at 1×.
    static QPixmap symbol(const QString& name, const QColor& color, int size);
    // The same as an icon for buttons and toolbar items.
    static QIcon symbolIcon(const QString& name, const QColor& color, int size);
    // A mark in `color`, `size` pixels square at 1×.
    static QPixmap mark(Mark mark, const QColor& color, int size);
};

} // namespace tisko
