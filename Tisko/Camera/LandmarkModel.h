// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/PixelBuffer.h"
#include "TiskoCore/LandmarkCache.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tisko {

// A point in picture pixels, x to the right and y downward.
struct PixelPoint {
    double x = 0;
    double y = 0;
};

// A box in picture pixels: the unit square of the landmark model maps onto it.
struct PixelBox {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// A cascade of regression trees that places facial landmarks inside a face box. Its arrays
// are either its own (read from a shape-predictor file by LandmarkModelParser) or those of
// the flat copy mapped by LandmarkModelCache. A mapped model costs only the pages its
// predictions read; the first prediction touches a leaf in nearly every page, and the refits
// and the following frames read them again, so once mapped they stay for as long as the
// model is held (a look) and go with it. They are clean pages of the page cache, shared with
// every other reader of the file; a look that finds no face maps none.
class LandmarkModel {
public:
    using Cascade = landmark_cache::Cascade;
    using Tree = landmark_cache::Tree;
    using Split = landmark_cache::Split;

    // The arrays of a model read into memory.
    struct Arrays {
        std::uint32_t points = 0;
        std::vector<float> meanShape;
        std::vector<Cascade> cascades;
        std::vector<Tree> trees;
        std::vector<Split> splits;
        std::vector<std::uint32_t> anchors;
        std::vector<float> deltas;
        std::vector<float> leafValues;
    };
    // A read-only mapping of a whole file, unmapped when the last model over it goes.
    struct Mapping {
        void* base = nullptr;
        std::size_t size = 0;
        ~Mapping();
    };

    explicit LandmarkModel(Arrays arrays);
    // Over the checked view of a mapped flat copy; the model keeps the mapping.
    LandmarkModel(const landmark_cache::CacheView& view, std::unique_ptr<Mapping> mapping);
    ~LandmarkModel();
    LandmarkModel(const LandmarkModel&) = delete;
    LandmarkModel& operator=(const LandmarkModel&) = delete;

    // Number of landmarks each prediction returns (68 for the face model).
    int pointCount() const { return static_cast<int>(m_meanShape.size() / 2); }
    // The mean shape in the unit square of a box: x0, y0, x1, y1, ...
    const std::vector<float>& meanShape() const { return m_meanShape; }
    // Whether the model is mapped from a flat copy rather than read into memory.
    bool isMapped() const { return m_mapping != nullptr; }
    // The tables and the leaves, leaf after leaf, 2 * points values each.
    const landmark_cache::LandmarkTables& tables() const { return m_tables; }
    const float* leaves() const { return m_leaves; }
    // Places the landmarks of the face inside `box` of `frame`, in picture pixels.
    std::vector<PixelPoint> predict(const PixelBuffer& frame, const PixelBox& box) const;
    // Bytes held by the model's arrays (mapped ones included).
    std::size_t byteSize() const;

private:
    std::vector<float> m_meanShape;
    landmark_cache::LandmarkTables m_tables; // over the arrays below, or over the mapping
    const float* m_leaves = nullptr;
    Arrays m_arrays;
    std::unique_ptr<Mapping> m_mapping;
};

} // namespace tisko
