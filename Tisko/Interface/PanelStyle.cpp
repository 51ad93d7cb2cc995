// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/PanelStyle.h"

#include <QApplication>

namespace tisko {

QFont PanelStyle::menuItem() {
    return QApplication::font("QMenu");
}

QFont PanelStyle::menuDetail() {
    QFont font = menuItem();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(std::max(font.pointSizeF() - 2, 6.0));
    else
        font.setPixelSize(std::max(font.pixelSize() - 2, 8));
    return font;
}

QFont PanelStyle::menuProminent() {
    QFont font = menuItem();
    font.setWeight(QFont::Medium);
    return font;
}

} // namespace tisko
