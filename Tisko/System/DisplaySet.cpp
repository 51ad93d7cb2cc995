// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/DisplaySet.h"

#include "Tisko/System/Edid.h"
#include "Tisko/System/SysfsDrm.h"
#include "Tisko/System/X11Display.h"

#include <QStringList>

namespace tisko {

QString DisplaySet::currentKey() {
    SysfsDrm drm;
    std::vector<EdidSource*> sources;
    if (qEnvironmentVariableIsSet("DISPLAY"))
        sources.push_back(&X11Display::shared());
    sources.push_back(&drm);
    return currentKey(sources);
}

QString DisplaySet::currentKey(const std::vector<EdidSource*>& sources) {
    const QString none = keyFor({});
    for (EdidSource* source : sources) {
        const std::optional<std::vector<QByteArray>> edids = source->connectedEdids();
        if (!edids)
            continue;
        // Xwayland's outputs carry no EDID: an answer without one says nothing about the
        // displays, so the next source is asked.
        const QString key = keyFor(*edids);
        if (key != none)
            return key;
    }
    return none;
}

QStringList DisplaySet::connectorsWithoutEdid() {
    return SysfsDrm().connectorsWithoutEdid();
}

QString DisplaySet::keyFor(const std::vector<QByteArray>& edids) {
    QStringList uuids;
    for (const QByteArray& blob : edids) {
        if (const std::optional<Edid> edid = Edid::parse(blob))
            uuids.append(edid->uuidText());
    }
    uuids.sort();
    return QStringLiteral("displays:") + uuids.join(u'+');
}

} // namespace tisko
