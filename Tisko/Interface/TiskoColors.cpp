// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/TiskoColors.h"

namespace tisko {

bool TiskoColors::isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor TiskoColors::good(const QPalette& palette) {
    return isDark(palette) ? QColor(0x2e, 0xb8, 0x4b) : QColor(0x2e, 0xa0, 0x43);
}

QColor TiskoColors::warning(const QPalette& palette) {
    return isDark(palette) ? QColor(0xf0, 0x8c, 0x00) : QColor(0xd0, 0x70, 0x00);
}

QColor TiskoColors::warningText(const QPalette& palette) {
    return isDark(palette) ? QColor(0xff, 0xa3, 0x48) : QColor(0x9c, 0x4a, 0x00);
}

} // namespace tisko
