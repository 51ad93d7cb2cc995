#pragma once

#include "Tisko/Camera/PixelBuffer.h"
#include "TiskoCore/LandmarkCache.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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
// a shape-predictor file (the 68-point model of libdlib-data) or mapped from the flat copy
// Tisko keeps of it in the user's cache folder. A mapped model costs a system call to open
// and only the pages a prediction reads; the kernel may drop them again at any time.
class LandmarkModel {
public:
    // Reads a model file; on failure returns null and sets `error`.
    static std::unique_ptr<LandmarkModel> load(const QString& path, QString* error);
    // Reads a model from bytes in the file's format; on failure returns null and sets `error`.
    static std::unique_ptr<LandmarkModel> parse(const std::uint8_t* data, std::size_t size,
                                                QString* error);

    // Where the flat copy of the model file at `sourcePath` is kept ($XDG_CACHE_HOME/Tisko).
    static QString cachePathFor(const QString& sourcePath);
    // Size, modification time and a hash of the first bytes of the file at `path`.
    static std::optional<landmark_cache::SourceIdentity> identify(const QString& path,
                                                                  QString* error);
    // Maps the flat copy at `cachePath` if it checks out in full and was made from `source`.
    static std::unique_ptr<LandmarkModel>
    map(const QString& cachePath, const landmark_cache::SourceIdentity& source, QString* error);
    // The flat copy when it is valid for the model file at `sourcePath`; otherwise the copy is
    // made again from the source (written aside, then renamed over) and mapped. `rebuilt` gets
    // why the old copy could not be used, or stays empty. When the copy cannot be written the
    // model read from the source is returned.
    static std::unique_ptr<LandmarkModel> loadCached(const QString& sourcePath,
                                                     const QString& cachePath, QString* error,
                                                     QString* rebuilt = nullptr);
    // Writes this model as a flat copy made from `source`, atomically.
    bool writeCache(const QString& cachePath, const landmark_cache::SourceIdentity& source,
                    QString* error) const;

    // Number of landmarks each prediction returns (68 for the face model).
    int pointCount() const { return static_cast<int>(m_meanShape.size() / 2); }
    // The mean shape in the unit square of a box: x0, y0, x1, y1, ...
    const std::vector<float>& meanShape() const { return m_meanShape; }
    // Whether the model is mapped from a flat copy rather than read into memory.
    bool isMapped() const { return m_mapping != nullptr; }
    // Places the landmarks of the face inside `box` of `frame`, in picture pixels.
    std::vector<PixelPoint> predict(const PixelBuffer& frame, const PixelBox& box) const;
    // Bytes held by the model's arrays (mapped ones included).
    std::size_t byteSize() const;

    ~LandmarkModel();

private:
    using Cascade = landmark_cache::Cascade;
    using Tree = landmark_cache::Tree;
    using Split = landmark_cache::Split;
    class Reader;
    struct Mapping;
    LandmarkModel();

    static std::unique_ptr<LandmarkModel>
    parse(const std::uint8_t* data, std::size_t size, QString* error,
          const std::function<void(std::size_t consumed)>& consumed);

    // Unmaps the pages of `cascade`'s leaves in a mapped model, once they are added.
    void releaseLeaves(const Cascade& cascade) const;

    std::vector<float> m_meanShape;
    landmark_cache::LandmarkTables m_tables; // over the vectors below, or over the mapping
    const float* m_leaves = nullptr;         // leaf after leaf, 2 * points values each

    std::vector<Cascade> m_cascades;
    std::vector<Tree> m_trees;
    std::vector<Split> m_splits;
    std::vector<std::uint32_t> m_anchors;
    std::vector<float> m_deltas;
    std::vector<float> m_leafValues;
    std::unique_ptr<Mapping> m_mapping;
};

} // namespace tisko
