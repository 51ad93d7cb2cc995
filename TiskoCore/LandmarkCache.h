#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// The landmark model laid out flat, as the predictor reads it, for mapping straight from a
// cache file. The file is a header, then the tables in the order of `LandmarkTables`, then
// the leaves as IEEE half floats; all little-endian, as the machine stores them. Halves keep
// the file, and what a look makes resident of it, at half the size of floats, and move the
// landmarks by a small fraction of a pixel.
namespace tisko::landmark_cache {

inline constexpr std::uint32_t kVersion = 2;

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
    std::span<const std::uint16_t> leaves; // leafCount leaves of 2 * points halves
};

// The half nearest `value` (ties to even), or nothing when `value` is NaN, infinite or
// beyond the largest half (65504).
std::optional<std::uint16_t> toHalf(float value);
// The float a half stands for, exactly. NaN and infinite halves, which the writer never
// makes, read as 0 so that a damaged cache cannot spread them through a prediction.
inline float fromHalf(std::uint16_t half) {
    if ((half & 0x7C00u) == 0x7C00u)
        return 0.0f;
    // The half's exponent and mantissa, moved into a float's places, are the value scaled by
    // 2^-112 (subnormal halves included), and that scaling is exact both ways.
    const std::uint32_t magnitude = std::uint32_t{half & 0x7FFFu} << 13;
    float value;
    __builtin_memcpy(&value, &magnitude, sizeof value);
    value *= 0x1p112f;
    return (half & 0x8000u) ? -value : value;
}

// Checks `data` as a whole cache file; `data` must be 8-byte aligned (as a mapping is).
// Leaf values are not read, so checking touches only the header and the tables.
std::optional<CacheView> read(const std::uint8_t* data, std::size_t size, std::string* error);

// Checks tables, as `read` does for the file's; an empty string when they hold.
std::string check(const LandmarkTables& tables, std::size_t leafValues);

// The file's bytes before the leaves: header and tables. The leaf values follow as halves,
// leaf after leaf.
std::string encodeHead(const SourceIdentity& source, const LandmarkTables& tables);

} // namespace tisko::landmark_cache
