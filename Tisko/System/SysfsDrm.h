// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/EdidSource.h"

#include <QString>

#include <optional>

namespace tisko {

// The display connectors the kernel lists under /sys/class/drm (card*-*): their EDID and
// their power state. The root is a parameter so tests can hand in a fake tree.
class SysfsDrm : public EdidSource {
public:
    // root is the folder holding the card*-* connectors.
    explicit SysfsDrm(QString root = QStringLiteral("/sys/class/drm"));

    std::optional<std::vector<QByteArray>> connectedEdids() override;
    // The connector names ("DP-1") of the connected outputs that give no readable EDID, in
    // name order.
    QStringList connectorsWithoutEdid() const;
    // True when every connected, enabled connector reports a DPMS state other than "On";
    // absent when no such connector reports one.
    std::optional<bool> displaysAsleep() const;

private:
    QStringList connectedConnectors() const;

    QString m_root;
};

} // namespace tisko
