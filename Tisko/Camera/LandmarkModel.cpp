// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/LandmarkModel.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tisko {

LandmarkModel::Mapping::~Mapping() {
    if (base)
        munmap(base, size);
}

LandmarkModel::LandmarkModel(Arrays arrays)
    : m_meanShape(arrays.meanShape)
    , m_arrays(std::move(arrays)) {
    landmark_cache::LandmarkTables& t = m_tables;
    t.points = m_arrays.points;
    t.trees = m_arrays.trees;
    t.cascades = m_arrays.cascades;
    t.splits = m_arrays.splits;
    t.meanShape = m_arrays.meanShape;
    t.anchors = m_arrays.anchors;
    t.deltas = m_arrays.deltas;
    t.leafCount = m_arrays.leafValues.size() / m_meanShape.size();
    m_leaves = m_arrays.leafValues.data();
}

LandmarkModel::LandmarkModel(const landmark_cache::CacheView& view,
                             std::unique_ptr<Mapping> mapping)
    : m_meanShape(view.tables.meanShape.begin(), view.tables.meanShape.end())
    , m_tables(view.tables)
    , m_leaves(view.leaves.data())
    , m_mapping(std::move(mapping)) {}

LandmarkModel::~LandmarkModel() = default;

namespace {

// How many leaves ahead of the one being added are fetched from memory.
constexpr std::size_t kLeavesAhead = 8;

void prefetch(const float* leaf, std::size_t values) {
    const auto* bytes = reinterpret_cast<const char*>(leaf);
    for (std::size_t offset = 0; offset < values * sizeof(float); offset += 64)
        __builtin_prefetch(bytes + offset);
}

// shape += leaf, four values at a time. Each value still gets the trees' leaves added one
// after the other in the same order, so the sums are exactly those of a plain loop.
void addLeaf(float* shape, const float* leaf, std::size_t values) {
    using Four = float __attribute__((vector_size(16)));
    std::size_t v = 0;
    for (; v + 4 <= values; v += 4) {
        Four a, b;
        std::memcpy(&a, shape + v, sizeof a);
        std::memcpy(&b, leaf + v, sizeof b);
        a += b;
        std::memcpy(shape + v, &a, sizeof a);
    }
    for (; v < values; ++v)
        shape[v] += leaf[v];
}

} // namespace

std::vector<PixelPoint> LandmarkModel::predict(const PixelBuffer& frame,
                                               const PixelBox& box) const {
    const std::size_t values = m_meanShape.size();
    const std::size_t points = values / 2;
    std::vector<float> shape = m_meanShape;
    std::vector<float> samples;
    std::vector<const float*> leaves;

    for (const Cascade& cascade : m_tables.cascades) {
        // The similarity (rotation and scale only) that carries the mean shape onto the
        // current estimate, both taken about their centroids.
        double mx = 0, my = 0, cx = 0, cy = 0;
        for (std::size_t i = 0; i < points; ++i) {
            mx += m_meanShape[2 * i];
            my += m_meanShape[2 * i + 1];
            cx += shape[2 * i];
            cy += shape[2 * i + 1];
        }
        mx /= static_cast<double>(points);
        my /= static_cast<double>(points);
        cx /= static_cast<double>(points);
        cy /= static_cast<double>(points);
        double dot = 0, cross = 0, norm = 0;
        for (std::size_t i = 0; i < points; ++i) {
            const double px = m_meanShape[2 * i] - mx, py = m_meanShape[2 * i + 1] - my;
            const double qx = shape[2 * i] - cx, qy = shape[2 * i + 1] - cy;
            dot += px * qx + py * qy;
            cross += px * qy - py * qx;
            norm += px * px + py * py;
        }
        const double a = norm > 0 ? dot / norm : 1.0;
        const double b = norm > 0 ? cross / norm : 0.0;

        const std::size_t pixels = cascade.pixelCount;
        const std::uint32_t* anchors = m_tables.anchors.data() + cascade.firstPixel;
        const float* deltas = m_tables.deltas.data() + 2 * std::size_t{cascade.firstPixel};
        samples.resize(pixels);
        for (std::size_t i = 0; i < pixels; ++i) {
            const double dx = deltas[2 * i], dy = deltas[2 * i + 1];
            const std::uint32_t anchor = anchors[i];
            const double ux = a * dx - b * dy + shape[2 * anchor];
            const double uy = b * dx + a * dy + shape[2 * anchor + 1];
            const double x = std::floor(box.left + ux * box.width + 0.5);
            const double y = std::floor(box.top + uy * box.height + 0.5);
            if (x >= 0 && y >= 0 && x < frame.width && y < frame.height)
                samples[i] =
                    static_cast<float>(frame.intensity(static_cast<int>(x), static_cast<int>(y)));
            else
                samples[i] = 0;
        }

        // The samples are fixed for the whole cascade, so every tree's leaf is known before
        // any is added: the leaves lie scattered over tens of megabytes, and fetching them
        // ahead of the additions keeps the memory busy instead of waiting for each in turn.
        const std::size_t trees = cascade.treeCount;
        leaves.resize(trees);
        for (std::size_t t = 0; t < trees; ++t) {
            const Tree& tree = m_tables.trees[cascade.firstTree + t];
            const Split* splits = m_tables.splits.data() + tree.firstSplit;
            std::uint32_t node = 0;
            while (node < tree.splitCount) {
                const Split& split = splits[node];
                node = samples[split.first] - samples[split.second] > split.threshold
                           ? 2 * node + 1
                           : 2 * node + 2;
            }
            leaves[t] = m_leaves + (tree.firstLeaf + (node - tree.splitCount)) * values;
        }
        for (std::size_t t = 0; t < trees; ++t) {
            if (t + kLeavesAhead < trees)
                prefetch(leaves[t + kLeavesAhead], values);
            addLeaf(shape.data(), leaves[t], values);
        }
    }

    std::vector<PixelPoint> result(points);
    for (std::size_t i = 0; i < points; ++i)
        result[i] = {box.left + shape[2 * i] * box.width, box.top + shape[2 * i + 1] * box.height};
    return result;
}

std::size_t LandmarkModel::byteSize() const {
    const landmark_cache::LandmarkTables& t = m_tables;
    return t.meanShape.size_bytes() + t.trees.size_bytes() + t.cascades.size_bytes() +
           t.splits.size_bytes() + t.anchors.size_bytes() + t.deltas.size_bytes() +
           t.leafCount * m_meanShape.size() * sizeof(float);
}

} // namespace tisko
