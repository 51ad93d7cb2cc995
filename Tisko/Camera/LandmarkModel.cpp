#include "Tisko/Camera/LandmarkModel.h"

#include <QFile>

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
        return static_cast<float>(
            std::ldexp(static_cast<double>(mantissa), static_cast<int>(exponent)));
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
    auto model = parse(mapped, static_cast<std::size_t>(size), error);
    file.unmap(mapped);
    if (!model && error)
        *error = QStringLiteral("%1: %2").arg(path, *error);
    return model;
}

std::unique_ptr<LandmarkModel> LandmarkModel::parse(const std::uint8_t* data, std::size_t size,
                                                    QString* error) {
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
    model->m_leaves.reserve(size / 4);
    std::vector<float> leaf;
    leaf.reserve(values);
    std::vector<std::uint32_t> largestIndex; // per cascade, largest pixel index a split uses

    const std::size_t cascades = in.count(1);
    model->m_cascades.resize(cascades);
    largestIndex.assign(cascades, 0);
    for (std::size_t c = 0; c < cascades && !in.failed(); ++c) {
        Cascade& cascade = model->m_cascades[c];
        const std::size_t trees = in.count(2);
        cascade.trees.reserve(trees);
        for (std::size_t t = 0; t < trees && !in.failed(); ++t) {
            Tree tree{static_cast<std::uint32_t>(model->m_splits.size()), 0,
                      static_cast<std::uint64_t>(model->m_leaves.size())};
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
                model->m_leaves.insert(model->m_leaves.end(), leaf.begin(), leaf.end());
            }
            cascade.trees.push_back(tree);
        }
    }

    if (in.count(1) != cascades && !in.failed())
        in.fail(QStringLiteral("número de anclas distinto del de cascadas"));
    for (std::size_t c = 0; c < cascades && !in.failed(); ++c) {
        const std::size_t n = in.count(1);
        for (std::size_t i = 0; i < n && !in.failed(); ++i) {
            const std::uint64_t anchor = in.unsignedValue();
            if (anchor >= points)
                in.fail(QStringLiteral("ancla fuera de la forma"));
            model->m_cascades[c].anchors.push_back(static_cast<std::uint32_t>(anchor));
        }
    }
    if (in.count(1) != cascades && !in.failed())
        in.fail(QStringLiteral("número de desplazamientos distinto del de cascadas"));
    for (std::size_t c = 0; c < cascades && !in.failed(); ++c) {
        Cascade& cascade = model->m_cascades[c];
        const std::size_t n = in.count(4);
        if (n != cascade.anchors.size())
            in.fail(QStringLiteral("desplazamientos y anclas no coinciden"));
        for (std::size_t i = 0; i < n && !in.failed(); ++i) {
            cascade.deltas.push_back(in.floatValue());
            cascade.deltas.push_back(in.floatValue());
        }
        if (!in.failed() && !cascade.trees.empty() && largestIndex[c] >= cascade.anchors.size())
            in.fail(QStringLiteral("una división usa un píxel que no existe"));
    }
    if (in.failed())
        return failWith(in.error());
    if (cascades == 0)
        return failWith(QStringLiteral("modelo sin cascadas"));
    return model;
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

std::vector<PixelPoint> LandmarkModel::predict(const PixelBuffer& frame,
                                               const PixelBox& box) const {
    const std::size_t values = m_meanShape.size();
    const std::size_t points = values / 2;
    std::vector<float> shape = m_meanShape;
    std::vector<float> samples;
    std::vector<const float*> leaves;

    for (const Cascade& cascade : m_cascades) {
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

        const std::size_t pixels = cascade.anchors.size();
        samples.resize(pixels);
        for (std::size_t i = 0; i < pixels; ++i) {
            const double dx = cascade.deltas[2 * i], dy = cascade.deltas[2 * i + 1];
            const std::uint32_t anchor = cascade.anchors[i];
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
        // any is added: the leaves lie scattered over the model's 70 MB, and fetching them
        // ahead of the additions keeps the memory busy instead of waiting for each in turn.
        const std::size_t trees = cascade.trees.size();
        leaves.resize(trees);
        for (std::size_t t = 0; t < trees; ++t) {
            const Tree& tree = cascade.trees[t];
            const Split* splits = m_splits.data() + tree.firstSplit;
            std::uint32_t node = 0;
            while (node < tree.splitCount) {
                const Split& split = splits[node];
                node = samples[split.first] - samples[split.second] > split.threshold
                           ? 2 * node + 1
                           : 2 * node + 2;
            }
            leaves[t] = m_leaves.data() + tree.firstLeaf + (node - tree.splitCount) * values;
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
    std::size_t bytes = m_meanShape.size() * sizeof(float) + m_splits.size() * sizeof(Split) +
                        m_leaves.size() * sizeof(float);
    for (const Cascade& cascade : m_cascades)
        bytes += cascade.trees.size() * sizeof(Tree) + cascade.anchors.size() * 4 +
                 cascade.deltas.size() * 4;
    return bytes;
}

} // namespace tisko
