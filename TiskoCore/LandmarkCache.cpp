// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TiskoCore/LandmarkCache.h"

#include <cmath>
#include <cstring>

namespace tisko::landmark_cache {

namespace {

constexpr char kMagic[8] = {'T', 'I', 'S', 'K', 'O', 'L', 'M', 'C'};

struct Header {
    char magic[8];
    std::uint32_t version;
    std::uint32_t points;
    std::uint32_t cascades;
    std::uint32_t trees;
    std::uint32_t splits;
    std::uint32_t pixels;
    std::uint64_t leaves;
    std::uint64_t sourceSize;
    std::int64_t sourceModifiedNs;
    std::uint64_t sourceHeadHash;
};
static_assert(sizeof(Header) == 64 && alignof(Tree) == 8);

template <typename T> std::span<const T> take(const std::uint8_t*& at, std::uint64_t count) {
    std::span<const T> out(reinterpret_cast<const T*>(at), static_cast<std::size_t>(count));
    at += count * sizeof(T);
    return out;
}

bool allFinite(std::span<const float> values) {
    for (float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

std::uint64_t headHash(const std::uint8_t* data, std::size_t size) {
    std::uint64_t hash = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 1099511628211ull;
    return hash;
}

std::string check(const LandmarkTables& t, std::size_t leafValues) {
    if (t.points < 2 || t.meanShape.size() != 2 * std::size_t{t.points})
        return "forma media inválida";
    if (!allFinite(t.meanShape) || !allFinite(t.deltas))
        return "valor no finito en la forma o los desplazamientos";
    if (t.cascades.empty())
        return "modelo sin cascadas";
    if (t.deltas.size() != 2 * t.anchors.size())
        return "desplazamientos y anclas no coinciden";
    if (leafValues / (2 * std::uint64_t{t.points}) != t.leafCount ||
        leafValues % (2 * std::uint64_t{t.points}) != 0)
        return "número de hojas distinto del de la cabecera";
    for (std::uint32_t anchor : t.anchors)
        if (anchor >= t.points)
            return "ancla fuera de la forma";

    // Cascades must tile the trees and the pixels in order, so each tree and each pixel
    // is checked once, whatever the header claims.
    std::uint64_t nextTree = 0, nextPixel = 0;
    for (const Cascade& cascade : t.cascades) {
        if (cascade.firstTree != nextTree || cascade.firstPixel != nextPixel)
            return "cascadas desordenadas";
        nextTree += cascade.treeCount;
        nextPixel += cascade.pixelCount;
        if (nextTree > t.trees.size() || nextPixel > t.anchors.size())
            return "cascada más allá de sus tablas";
        for (std::uint64_t i = cascade.firstTree; i < nextTree; ++i) {
            const Tree& tree = t.trees[i];
            const std::uint64_t leaves = std::uint64_t{tree.splitCount} + 1;
            if ((leaves & (leaves - 1)) != 0)
                return "árbol incompleto";
            if (std::uint64_t{tree.firstSplit} + tree.splitCount > t.splits.size())
                return "árbol con divisiones fuera de la tabla";
            if (tree.firstLeaf > t.leafCount || t.leafCount - tree.firstLeaf < leaves)
                return "árbol con hojas fuera de la tabla";
            for (std::uint32_t s = 0; s < tree.splitCount; ++s) {
                const Split& split = t.splits[tree.firstSplit + s];
                if (split.first >= cascade.pixelCount || split.second >= cascade.pixelCount)
                    return "una división usa un píxel que no existe";
            }
        }
    }
    if (nextTree != t.trees.size() || nextPixel != t.anchors.size())
        return "tablas con restos fuera de toda cascada";
    return {};
}

std::optional<CacheView> read(const std::uint8_t* data, std::size_t size, std::string* error) {
    const auto fail = [&](const char* why) -> std::optional<CacheView> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (reinterpret_cast<std::uintptr_t>(data) % alignof(Header) != 0)
        return fail("caché mal alineada en memoria");
    Header h;
    if (size < sizeof h)
        return fail("caché truncada");
    std::memcpy(&h, data, sizeof h);
    if (std::memcmp(h.magic, kMagic, sizeof kMagic) != 0)
        return fail("no es una caché de modelo");
    if (h.version != kVersion)
        return fail("versión de caché distinta");
    if (h.points < 2 || h.points > 4096)
        return fail("número de puntos imposible");

    // Every count is at most 2^32 or checked against the size first, so no product below
    // can overflow 64 bits.
    const std::uint64_t leafValues = h.leaves * 2 * h.points;
    if (h.leaves > size)
        return fail("más hojas que bytes");
    const std::uint64_t expected =
        sizeof(Header) + std::uint64_t{h.trees} * sizeof(Tree) +
        std::uint64_t{h.cascades} * sizeof(Cascade) + std::uint64_t{h.splits} * sizeof(Split) +
        std::uint64_t{h.points} * 2 * sizeof(float) + std::uint64_t{h.pixels} * 3 * sizeof(float) +
        leafValues * sizeof(float);
    if (expected != size)
        return fail(expected > size ? "caché truncada" : "caché con bytes de más");

    CacheView view;
    view.source = {h.sourceSize, h.sourceModifiedNs, h.sourceHeadHash};
    const std::uint8_t* at = data + sizeof h;
    LandmarkTables& t = view.tables;
    t.points = h.points;
    t.trees = take<Tree>(at, h.trees);
    t.cascades = take<Cascade>(at, h.cascades);
    t.splits = take<Split>(at, h.splits);
    t.meanShape = take<float>(at, std::uint64_t{h.points} * 2);
    t.anchors = take<std::uint32_t>(at, h.pixels);
    t.deltas = take<float>(at, std::uint64_t{h.pixels} * 2);
    t.leafCount = h.leaves;
    view.leaves = take<float>(at, leafValues);
    if (std::string why = check(t, view.leaves.size()); !why.empty()) {
        if (error)
            *error = std::move(why);
        return std::nullopt;
    }
    return view;
}

std::string encodeHead(const SourceIdentity& source, const LandmarkTables& t) {
    Header h{};
    std::memcpy(h.magic, kMagic, sizeof kMagic);
    h.version = kVersion;
    h.points = t.points;
    h.cascades = static_cast<std::uint32_t>(t.cascades.size());
    h.trees = static_cast<std::uint32_t>(t.trees.size());
    h.splits = static_cast<std::uint32_t>(t.splits.size());
    h.pixels = static_cast<std::uint32_t>(t.anchors.size());
    h.leaves = t.leafCount;
    h.sourceSize = source.size;
    h.sourceModifiedNs = source.modifiedNs;
    h.sourceHeadHash = source.headHash;
    std::string out(reinterpret_cast<const char*>(&h), sizeof h);
    const auto append = [&out](auto span) {
        out.append(reinterpret_cast<const char*>(span.data()), span.size_bytes());
    };
    append(t.trees);
    append(t.cascades);
    append(t.splits);
    append(t.meanShape);
    append(t.anchors);
    append(t.deltas);
    return out;
}

} // namespace tisko::landmark_cache
