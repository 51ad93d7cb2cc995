// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Any byte string given to the positions reader must give a book or nothing; a book that
// was read must survive writing (which throws for no value it read) and reading again.
#include "TiskoCore/JsonCodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Codec = tisko::JsonCodec<tisko::CalibrationBook>;
    const auto book = Codec::decode({reinterpret_cast<const char*>(data), size});
    if (book) {
        const auto again = Codec::decode(Codec::encode(*book));
        if (!again || again->calibrations.size() != book->calibrations.size() ||
            again->activeID != book->activeID)
            std::abort();
    }
    return 0;
}
