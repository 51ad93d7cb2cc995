#include "Tisko/Camera/LandmarkModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace tisko {

// Walks the model file's serialised values: integers as a control byte (length in the low
// bits, sign in the top bit) followed by little-endian bytes; floats as an integer mantissa
// and a 16-bit exponent; lists as their length followed by their items.
class LandmarkModel::Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size)
        : m_at(data)
        , m_end(data + size) {}

    bool failed() const { return m_failed; }
    const QString& error() const { return m_error; }
    std::size_t remaining() const { return static_cast<std::size_t>(m_end - m_at); }
    const std::uint8_t* at() const { return m_at; }

    void fail(const QString& why) {
        if (!m_failed)
            m_error = why;
        m_failed = true;
        m_at = m_end;
    }

    std::int64_t signedValue() {
        if (m_at >= m_end) {
            fail(QStringLiteral("el fichero termina antes de tiempo"));
            return 0;
        }
        const std::uint8_t control = *m_at++;
        const int length = control & 0x0F;
        const std::uint64_t magnitude = bytes(length);
        if (magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            fail(QStringLiteral("entero fuera de rango"));
            return 0;
        }
        const auto value = static_cast<std::int64_t>(magnitude);
        return (control & 0x80) ? -value : value;
    }

    std::uint64_t unsignedValue() {
        if (m_at >= m_end) {
            fail(QStringLiteral("el fichero termina antes de tiempo"));
            return 0;
        }
        const std::uint8_t control = *m_at++;
        return bytes(control & 0x8F);
    }

    float floatValue() {
        if (m_at < m_end && (*m_at & 0x70) != 0) {
            fail(QStringLiteral("formato de número antiguo no admitido"));
            return 0;
        }
        const std::int64_t mantissa = signedValue();
        const std::int64_t exponent = signedValue();
        if (exponent > 1000 || exponent < -1000) {
            // Infinities and NaN are stored as exponents from 32000 on; a model has none.
            fail(QStringLiteral("número no finito en el modelo"));
            return 0;
        }
        const double value = std::ldexp(static_cast<double>(mantissa), static_cast<int>(exponent));
        // Beyond a float's range the conversion is undefined; a model has no such value.
        if (std::fabs(value) > std::numeric_limits<float>::max()) {
            fail(QStringLiteral("número fuera del rango del modelo"));
            return 0;
        }
        return static_cast<float>(value);
    }

    // A list length that cannot exceed what is left of the file, `itemBytes` a lower bound
    // of the bytes one item takes.
    std::size_t count(std::size_t itemBytes) {
        const std::uint64_t n = unsignedValue();
        if (!m_failed && n > remaining() / itemBytes)
            fail(QStringLiteral("longitud de lista imposible"));
        return m_failed ? 0 : static_cast<std::size_t>(n);
    }

    // A column vector of floats: rows and columns (negative in the newer layout), then values.
    void floatColumn(std::vector<float>& out) {
        std::int64_t rows = signedValue();
        std::int64_t columns = signedValue();
        if (rows < 0 || columns < 0) {
            rows = -rows;
            columns = -columns;
        }
        if (m_failed)
            return;
        if (columns != 1 && rows != 0) {
            fail(QStringLiteral("se esperaba un vector columna"));
            return;
        }
        if (static_cast<std::uint64_t>(rows) > remaining() / 4) {
            fail(QStringLiteral("vector más largo que el fichero"));
            return;
        }
        for (std::int64_t i = 0; i < rows && !m_failed; ++i)
            out.push_back(floatValue());
    }

private:
    std::uint64_t bytes(int length) {
        if (length == 0 || length > 8) {
            fail(QStringLiteral("entero mal codificado"));
            return 0;
        }
        if (remaining() < static_cast<std::size_t>(length)) {
            fail(QStringLiteral("el fichero termina antes de tiempo"));
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = length - 1; i >= 0; --i)
            value = (value << 8) | m_at[i];
        m_at += length;
        return value;
    }

    const std::uint8_t* m_at;
    const std::uint8_t* m_end;
    bool m_failed = false;
    QString m_error;
};

struct LandmarkModel::Mapping {
    void* base = nullptr;
    std::size_t size = 0;
    ~Mapping() {
        if (base)
            munmap(base, size);
    }
};

LandmarkModel::LandmarkModel() = default;
LandmarkModel::~LandmarkModel() = default;

std::unique_ptr<LandmarkModel> LandmarkModel::load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("no se puede abrir %1: %2").arg(path, file.errorString());
        return nullptr;
    }
    const qint64 size = file.size();
    uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
    if (!mapped) {
        if (error)
            *error = QStringLiteral("no se puede leer %1").arg(path);
        return nullptr;
    }
    // The file is read once from start to end: the pages already read are let go as the
    // reading goes on, so the file and the arrays are never both in memory.
    const long page = sysconf(_SC_PAGESIZE);
    std::size_t released = 0;
    madvise(mapped, static_cast<std::size_t>(size), MADV_SEQUENTIAL);
    auto model = parse(mapped, static_cast<std::size_t>(size), error, [&](std::size_t consumed) {
        const std::size_t upTo =
            consumed / static_cast<std::size_t>(page) * static_cast<std::size_t>(page);
        if (upTo >= released + (16u << 20)) {
            madvise(mapped + released, upTo - released, MADV_DONTNEED);
            released = upTo;
        }
    });
    file.unmap(mapped);
    if (!model && error)
        *error = QStringLiteral("%1: %2").arg(path, *error);
    return model;
}

std::unique_ptr<LandmarkModel> LandmarkModel::parse(const std::uint8_t* data, std::size_t size,
                                                    QString* error) {
    return parse(data, size, error, {});
}

std::unique_ptr<LandmarkModel>
LandmarkModel::parse(const std::uint8_t* data, std::size_t size, QString* error,
                     const std::function<void(std::size_t consumed)>& consumed) {
    auto model = std::unique_ptr<LandmarkModel>(new LandmarkModel);
    Reader in(data, size);
    const auto failWith = [&](const QString& why) -> std::unique_ptr<LandmarkModel> {
        if (error)
            *error = in.failed() ? in.error() : why;
        return nullptr;
    };

    if (in.signedValue() != 1 || in.failed())
        return failWith(QStringLiteral("versión de modelo desconocida"));
    in.floatColumn(model->m_meanShape);
    const std::size_t values = model->m_meanShape.size();
    if (in.failed() || values < 4 || values % 2 != 0)
        return failWith(QStringLiteral("forma media inválida"));
    const auto points = static_cast<std::uint32_t>(values / 2);

    // Each leaf value takes at least four bytes of the file, so this bound never reallocates
    // and pages never written stay out of memory.
    std::vector<float>& leafValues = model->m_leafValues;
    leafValues.reserve(size / 4);
    std::vector<float> leaf;
    leaf.reserve(values);
    std::vector<std::uint32_t> largestIndex; // per cascade, largest pixel index a split uses

    const std::size_t cascades = in.count(1);
    model->m_cascades.resize(cascades);
    largestIndex.assign(cascades, 0);
    for (std::size_t c = 0; c < cascades && !in.failed(); ++c) {
        Cascade& cascade = model->m_cascades[c];
        cascade.firstTree = static_cast<std::uint32_t>(model->m_trees.size());
        const std::size_t trees = in.count(2);
        cascade.treeCount = static_cast<std::uint32_t>(trees);
        for (std::size_t t = 0; t < trees && !in.failed(); ++t) {
            Tree tree{static_cast<std::uint32_t>(model->m_splits.size()), 0,
                      static_cast<std::uint64_t>(leafValues.size() / values)};
            const std::size_t splits = in.count(6);
            for (std::size_t s = 0; s < splits && !in.failed(); ++s) {
                const std::uint64_t first = in.unsignedValue();
                const std::uint64_t second = in.unsignedValue();
                const float threshold = in.floatValue();
                if (first > 0xFFFFFFFFu || second > 0xFFFFFFFFu)
                    in.fail(QStringLiteral("índice de píxel fuera de rango"));
                largestIndex[c] = std::max({largestIndex[c], static_cast<std::uint32_t>(first),
                                            static_cast<std::uint32_t>(second)});
                model->m_splits.push_back({static_cast<std::uint32_t>(first),
                                           static_cast<std::uint32_t>(second), threshold});
            }
            tree.splitCount = static_cast<std::uint32_t>(splits);
            const std::size_t leaves = in.count(4);
            if (leaves != splits + 1 || (leaves & (leaves - 1)) != 0)
                in.fail(QStringLiteral("árbol incompleto"));
            for (std::size_t l = 0; l < leaves && !in.failed(); ++l) {
                leaf.clear();
                in.floatColumn(leaf);
                if (leaf.size() != values)
                    in.fail(QStringLiteral("hoja de tamaño distinto de la forma"));
                leafValues.insert(leafValues.end(), leaf.begin(), leaf.end());
            }
            model->m_trees.push_back(tree);
            if (consumed)
                consumed(static_cast<std::size_t>(in.at() - data));
        }
    }

    if (in.count(1) != cascades && !in.failed())
        in.fail(QStringLiteral("número de anclas distinto del de cascadas"));
    for (std::size_t c = 0; c < cascades && !in.failed(); ++c) {
        Cascade& cascade = model->m_cascades[c];
        cascade.firstPixel = static_cast<std::uint32_t>(model->m_anchors.size());
        const std::size_t n = in.count(1);
        cascade.pixelCount = static_cast<std::uint32_t>(n);
        for (std::size_t i = 0; i < n && !in.failed(); ++i) {
            const std::uint64_t anchor = in.unsignedValue();
            if (anchor >= points)
                in.fail(QStringLiteral("ancla fuera de la forma"));
            model->m_anchors.push_back(static_cast<std::uint32_t>(anchor));
        }
    }
    if (in.count(1) != cascades && !in.failed())
        in.fail(QStringLiteral("número de desplazamientos distinto del de cascadas"));
    for (std::size_t c = 0; c < cascades && !in.failed(); ++c) {
        const Cascade& cascade = model->m_cascades[c];
        const std::size_t n = in.count(4);
        if (n != cascade.pixelCount)
            in.fail(QStringLiteral("desplazamientos y anclas no coinciden"));
        for (std::size_t i = 0; i < n && !in.failed(); ++i) {
            model->m_deltas.push_back(in.floatValue());
            model->m_deltas.push_back(in.floatValue());
        }
        if (!in.failed() && cascade.treeCount > 0 && largestIndex[c] >= cascade.pixelCount)
            in.fail(QStringLiteral("una división usa un píxel que no existe"));
    }
    if (in.failed())
        return failWith(in.error());
    if (cascades == 0)
        return failWith(QStringLiteral("modelo sin cascadas"));

    landmark_cache::LandmarkTables& t = model->m_tables;
    t.points = points;
    t.trees = model->m_trees;
    t.cascades = model->m_cascades;
    t.splits = model->m_splits;
    t.meanShape = model->m_meanShape;
    t.anchors = model->m_anchors;
    t.deltas = model->m_deltas;
    t.leafCount = leafValues.size() / values;
    model->m_leaves = leafValues.data();
    return model;
}

QString LandmarkModel::cachePathFor(const QString& sourcePath) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Tisko/") + QFileInfo(sourcePath).completeBaseName() +
           QStringLiteral(".landmarks");
}

std::optional<landmark_cache::SourceIdentity> LandmarkModel::identify(const QString& path,
                                                                      QString* error) {
    QFile file(path);
    struct stat status {};
    if (!file.open(QIODevice::ReadOnly) || fstat(file.handle(), &status) != 0) {
        if (error)
            *error = QStringLiteral("no se puede abrir %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray head = file.read(static_cast<qint64>(landmark_cache::kHeadBytes));
    return landmark_cache::SourceIdentity{
        static_cast<std::uint64_t>(status.st_size),
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec,
        landmark_cache::headHash(reinterpret_cast<const std::uint8_t*>(head.constData()),
                                 static_cast<std::size_t>(head.size()))};
}

std::unique_ptr<LandmarkModel> LandmarkModel::map(const QString& cachePath,
                                                  const landmark_cache::SourceIdentity& source,
                                                  QString* error) {
    const auto fail = [&](const QString& why) -> std::unique_ptr<LandmarkModel> {
        if (error)
            *error = why;
        return nullptr;
    };
    const int fd = ::open(QFile::encodeName(cachePath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat status {};
    auto mapping = std::make_unique<Mapping>();
    if (fstat(fd, &status) == 0 && status.st_size > 0) {
        mapping->size = static_cast<std::size_t>(status.st_size);
        void* base = mmap(nullptr, mapping->size, PROT_READ, MAP_SHARED, fd, 0);
        mapping->base = base == MAP_FAILED ? nullptr : base;
    }
    ::close(fd);
    if (!mapping->base)
        return fail(QStringLiteral("vacía o ilegible"));
    // A prediction reads one leaf per tree, scattered over the file: read-ahead around each
    // would only fill memory with leaves never used.
    madvise(mapping->base, mapping->size, MADV_RANDOM);

    std::string why;
    const auto view =
        landmark_cache::read(static_cast<const std::uint8_t*>(mapping->base), mapping->size, &why);
    if (!view)
        return fail(QString::fromStdString(why));
    if (view->source != source)
        return fail(QStringLiteral("hecha de otro fichero de modelo"));
    auto model = std::unique_ptr<LandmarkModel>(new LandmarkModel);
    model->m_tables = view->tables;
    model->m_meanShape.assign(view->tables.meanShape.begin(), view->tables.meanShape.end());
    model->m_leaves = view->leaves.data();
    model->m_mapping = std::move(mapping);
    return model;
}

bool LandmarkModel::writeCache(const QString& cachePath,
                               const landmark_cache::SourceIdentity& source, QString* error) const {
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (m_mapping)
        return fail(QStringLiteral("el modelo ya es una copia"));
    if (!QDir().mkpath(QFileInfo(cachePath).absolutePath()))
        return fail(QStringLiteral("no se puede crear la carpeta de %1").arg(cachePath));
    // Written under a name of its own and renamed over the old copy only when complete, so
    // a reader sees the old file or the new one, never half of one, and two writers at once
    // each rename a whole file.
    QSaveFile file(cachePath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(
            QStringLiteral("no se puede escribir %1: %2").arg(cachePath, file.errorString()));
    const std::string head = landmark_cache::encodeHead(source, m_tables);
    file.write(head.data(), static_cast<qint64>(head.size()));
    file.write(reinterpret_cast<const char*>(m_leaves),
               static_cast<qint64>(m_tables.leafCount * m_meanShape.size() * sizeof(float)));
    if (!file.commit())
        return fail(
            QStringLiteral("no se puede escribir %1: %2").arg(cachePath, file.errorString()));
    return true;
}

std::unique_ptr<LandmarkModel> LandmarkModel::loadCached(const QString& sourcePath,
                                                         const QString& cachePath, QString* error,
                                                         QString* rebuilt) {
    const auto source = identify(sourcePath, error);
    if (!source)
        return nullptr;
    QString why;
    if (auto mapped = map(cachePath, *source, &why))
        return mapped;
    if (rebuilt)
        *rebuilt = why;
    std::unique_ptr<LandmarkModel> model = load(sourcePath, error);
    if (!model)
        return nullptr;
    QString writeError;
    if (!model->writeCache(cachePath, *source, &writeError)) {
        if (rebuilt)
            *rebuilt += QStringLiteral("; %1").arg(writeError);
        return model;
    }
    model.reset();
    if (auto mapped = map(cachePath, *source, &why))
        return mapped;
    if (rebuilt)
        *rebuilt += QStringLiteral("; la copia nueva no sirve: %1").arg(why);
    return load(sourcePath, error);
}

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

void LandmarkModel::releaseLeaves(const Cascade& cascade) const {
    // A cascade's trees own one run of leaves. Each fault in it maps its neighbours too, so
    // by the end of a prediction the whole file would be resident; letting the run go once
    // its cascade is done keeps one cascade's leaves at most. The pages stay in the page
    // cache, so the next prediction maps them again without reading the disk.
    const std::size_t values = m_meanShape.size();
    const Tree& first = m_tables.trees[cascade.firstTree];
    const Tree& last = m_tables.trees[cascade.firstTree + cascade.treeCount - 1];
    const auto* base = static_cast<const std::uint8_t*>(m_mapping->base);
    const auto* from = reinterpret_cast<const std::uint8_t*>(m_leaves + first.firstLeaf * values);
    const auto* to = reinterpret_cast<const std::uint8_t*>(
        m_leaves + (last.firstLeaf + last.splitCount + 1) * values);
    if (to <= from)
        return;
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t start = static_cast<std::size_t>(from - base) / page * page;
    const std::size_t end = std::min(m_mapping->size, static_cast<std::size_t>(to - base));
    madvise(const_cast<std::uint8_t*>(base) + start, end - start, MADV_DONTNEED);
}

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
        if (m_mapping && trees > 0)
            releaseLeaves(cascade);
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
