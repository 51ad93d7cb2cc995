// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Any byte string given to the EDID parser must give identity fields or nothing; what it
// reads comes from the base block alone, and the UUID is always well formed.
#include "Tisko/System/Edid.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray blob(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<tisko::Edid> edid = tisko::Edid::parse(blob);
    if (!edid)
        return 0;
    // Extension blocks never change a display's identity.
    if (tisko::Edid::parse(blob.left(128)) != edid)
        std::abort();
    if (edid->vendor.size() != 3 || edid->serialText.size() > 13)
        std::abort();
    for (const QChar letter : edid->vendor) {
        if (letter != u'?' && (letter < u'A' || letter > u'Z'))
            std::abort();
    }
    const QString uuid = edid->uuidText();
    if (uuid.size() != 36 || uuid != uuid.toUpper() || uuid.at(14) != u'5')
        std::abort();
    return 0;
}
