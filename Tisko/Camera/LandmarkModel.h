#pragma once

#include "Tisko/Camera/PixelBuffer.h"

#include <QString>

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

// A cascade of regression trees that places facial landmarks inside a face box, read from
// a shape-predictor file (the 68-point model of libdlib-data). Reading parses the file in
// one pass into a few flat arrays, so loading is quick and releasing gives the memory back.
class LandmarkModel {
public:
    // Reads a model file; on failure returns null and sets `error`.
    static std::unique_ptr<LandmarkModel> load(const QString& path, QString* error);
    // Reads a model from bytes in the file's format; on failure returns null and sets `error`.
    static std::unique_ptr<LandmarkModel> parse(const std::uint8_t* data, std::size_t size,
                                                QString* error);

    // Number of landmarks each prediction returns (68 for the face model).
    int pointCount() const { return static_cast<int>(m_meanShape.size() / 2); }
    // The mean shape in the unit square of a box: x0, y0, x1, y1, ...
    const std::vector<float>& meanShape() const { return m_meanShape; }
    // Places the landmarks of the face inside `box` of `frame`, in picture pixels.
    std::vector<PixelPoint> predict(const PixelBuffer& frame, const PixelBox& box) const;
    // Bytes held by the model's arrays.
    std::size_t byteSize() const;

private:
    struct Split {
        std::uint32_t first;
        std::uint32_t second;
        float threshold;
    };
    struct Tree {
        std::uint32_t firstSplit;
        std::uint32_t splitCount;
        std::uint64_t firstLeaf; // index into m_leaves, in floats
    };
    struct Cascade {
        std::vector<Tree> trees;
        std::vector<std::uint32_t> anchors; // landmark each sampled pixel hangs from
        std::vector<float> deltas;          // offset of each sampled pixel from its landmark
    };
    class Reader;

    std::vector<float> m_meanShape;
    std::vector<Cascade> m_cascades;
    std::vector<Split> m_splits;
    std::vector<float> m_leaves;
};

} // namespace tisko
