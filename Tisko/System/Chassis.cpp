// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/Chassis.h"

#include <QFile>

#include <algorithm>
#include <array>

namespace tisko {

bool Chassis::isLaptop() {
    static const bool laptop = isLaptop(QStringLiteral("/sys/class/dmi/id/chassis_type"));
    return laptop;
}

bool Chassis::isLaptop(const QString& chassisTypeFile) {
    QFile file(chassisTypeFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const int type = QString::fromLatin1(file.read(16)).trimmed().toInt(&ok);
    // SMBIOS: portable, laptop, notebook, sub notebook, convertible, detachable.
    constexpr std::array<int, 6> withLid = {8, 9, 10, 14, 31, 32};
    return ok && std::find(withLid.begin(), withLid.end(), type) != withLid.end();
}

} // namespace tisko
