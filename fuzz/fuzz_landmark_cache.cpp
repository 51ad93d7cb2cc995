// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Any byte string given to the landmark cache reader must be refused or give tables whose
// every index the predictor follows stays inside them; what was read must encode back to
// the same bytes.
#include "TiskoCore/LandmarkCache.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace cache = tisko::landmark_cache;
    // A heap copy of the exact size: aligned as a mapping is, and any read past it is seen.
    std::vector<std::uint8_t> bytes(data, data + size);
    const auto view = cache::read(bytes.data(), bytes.size(), nullptr);
    if (!view)
        return 0;
    const cache::LandmarkTables& t = view->tables;
    const std::size_t values = 2 * std::size_t{t.points};
    float sum = 0;
    for (const cache::Cascade& cascade : t.cascades) {
        std::vector<float> samples(cascade.pixelCount);
        for (std::uint32_t i = 0; i < cascade.pixelCount; ++i) {
            const std::uint32_t anchor = t.anchors[cascade.firstPixel + i];
            samples[i] = t.meanShape[2 * anchor] + t.deltas[2 * (cascade.firstPixel + i)];
        }
        for (std::uint32_t k = 0; k < cascade.treeCount; ++k) {
            const cache::Tree& tree = t.trees[cascade.firstTree + k];
            for (std::uint32_t s = 0; s < tree.splitCount; ++s) {
                const cache::Split& split = t.splits[tree.firstSplit + s];
                sum += samples.data()[split.first] - samples.data()[split.second];
            }
            const float* leaves = view->leaves.data() + tree.firstLeaf * values;
            for (std::size_t v = 0; v < (std::size_t{tree.splitCount} + 1) * values; ++v)
                sum += leaves[v];
        }
    }
    const std::string head = cache::encodeHead(view->source, t);
    if (head.size() > size || std::memcmp(head.data(), data, head.size()) != 0)
        std::abort();
    return sum == 12345.0f ? 1 : 0;
}
