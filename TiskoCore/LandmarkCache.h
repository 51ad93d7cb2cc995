// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The landmark model laid out flat, as the predictor reads it, for mapping straight from a
// cache file. The file is a header, then the tables in the order of `LandmarkTables`, then
// the leaves; all little-endian, as the machine stores them.
namespace tisko::landmark_cache {

inline constexpr std::uint32_t kVersion = 1;

// What a cache was made from: reading it again is needed when any of these changes.
struct SourceIdentity {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t headHash = 0; // of the first kHeadBytes bytes
    bool operator==(const SourceIdentity&) const = default;
};
inline constexpr std::size_t kHeadBytes = 64 * 1024;
std::uint64_t headHash(const std::uint8_t* data, std::size_t size);

// A cascade's trees and sampled pixels are consecutive runs of the file's tables.
struct Cascade {
    std::uint32_t firstTree;
    std::uint32_t treeCount;
    std::uint32_t firstPixel;
    std::uint32_t pixelCount;
};
// A complete binary tree: splitCount splits in breadth-first order, splitCount + 1 leaves.
struct Tree {
    std::uint32_t firstSplit;
    std::uint32_t splitCount;
    std::uint64_t firstLeaf; // index of the tree's first leaf; each leaf is 2 * points values
};
// Goes right when sample[first] - sample[second] > threshold; indices within the cascade.
struct Split {
    std::uint32_t first;
    std::uint32_t second;
    float threshold;
};

struct LandmarkTables {
    std::uint32_t points = 0;
    std::span<const Tree> trees;
    std::span<const Cascade> cascades;
    std::span<const Split> splits;
    std::span<const float> meanShape; // x0, y0, x1, y1, ...
    std::span<const std::uint32_t> anchors;
    std::span<const float> deltas; // two per pixel
    std::uint64_t leafCount = 0;
};

// A cache checked from end to end: every index points inside its table.
struct CacheView {
    SourceIdentity source;
    LandmarkTables tables;
    std::span<const float> leaves; // leafCount leaves of 2 * points values
};

// Checks `data` as a whole cache file; `data` must be 8-byte aligned (as a mapping is).
// Leaf values are not read, so checking touches only the header and the tables.
std::optional<CacheView> read(const std::uint8_t* data, std::size_t size, std::string* error);

// Checks tables, as `read` does for the file's; an empty string when they hold.
std::string check(const LandmarkTables& tables, std::size_t leafValues);

// The file's bytes before the leaves: header and tables. The leaf values follow, leaf after
// leaf.
std::string encodeHead(const SourceIdentity& source, const LandmarkTables& tables);

} // namespace tisko::landmark_cache
