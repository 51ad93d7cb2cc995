// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Any byte string given to the counters reader must give a tally or nothing; a tally that
// was read holds no negative count and survives writing and reading again unchanged.
#include "TiskoCore/JsonCodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Codec = tisko::JsonCodec<tisko::DailyTally>;
    const auto tally = Codec::decode({reinterpret_cast<const char*>(data), size});
    if (tally) {
        for (const auto& day : tally->days) {
            if (day.checks < 0 || day.badChecks < 0 || day.tooClose < 0 || day.slouching < 0)
                std::abort();
        }
        const auto again = Codec::decode(Codec::encode(*tally));
        if (!again || *again != *tally)
            std::abort();
        (void)tally->csv();
    }
    return 0;
}
