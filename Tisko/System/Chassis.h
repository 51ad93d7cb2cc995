// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace tisko {

// What kind of computer this is, from the firmware's DMI tables.
class Chassis {
public:
    Chassis() = delete;

    // True on a computer with a lid (laptop, notebook, convertible…), read once from
    // /sys/class/dmi/id/chassis_type; false where the firmware does not say.
    static bool isLaptop();
    // The same, read from `chassisTypeFile` (which holds the SMBIOS chassis type number).
    static bool isLaptop(const QString& chassisTypeFile);
};

} // namespace tisko
