// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/LandmarkModelParser.h"

#include <QFile>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tisko {

namespace {

// Walks the model file's serialised values: integers as a control byte (length in the low
// bits, sign in the top bit) followed by little-endian bytes; floats as an integer mantissa
// and a 16-bit exponent; lists as their length followed by their items.
class Reader {
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

} // namespace

std::unique_ptr<LandmarkModel> LandmarkModelParser::load(const QString& path, QString* error) {
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

std::unique_ptr<LandmarkModel>
LandmarkModelParser::parse(const std::uint8_t* data, std::size_t size, QString* error,
                           const std::function<void(std::size_t consumed)>& consumed) {
    LandmarkModel::Arrays model;
    Reader in(data, size);
    const auto failWith = [&](const QString& why) -> std::unique_ptr<LandmarkModel> {
        if (error)
            *error = in.failed() ? in.error() : why;
        return nullptr;
    };

    if (in.signedValue() != 1 || in.failed())
        return failWith(QStringLiteral("versión de modelo desconocida"));
    in.floatColumn(model.meanShape);
    const std::size_t values = model.meanShape.size();
    if (in.failed() || values < 4 || values % 2 != 0)
        return failWith(QStringLiteral("forma media inválida"));
    const auto points = static_cast<std::uint32_t>(values / 2);

    // Each leaf value takes at least four bytes of the file, so this bound never reallocates
    // and pages never written stay out of memory.
    std::vector<float>& leafValues = model.leafValues;
    leafValues.reserve(size / 4);
    std::vector<float> leaf;
    leaf.reserve(values);
    std::vector<std::uint32_t> largestIndex; // per cascade, largest pixel index a split uses

    const std::size_t cascades = in.count(1);
    model.cascades.resize(cascades);
    largestIndex.assign(cascades, 0);
    for (std::size_t c = 0; c < cascades && !in.failed(); ++c) {
        LandmarkModel::Cascade& cascade = model.cascades[c];
        cascade.firstTree = static_cast<std::uint32_t>(model.trees.size());
        const std::size_t trees = in.count(2);
        cascade.treeCount = static_cast<std::uint32_t>(trees);
        for (std::size_t t = 0; t < trees && !in.failed(); ++t) {
            LandmarkModel::Tree tree{static_cast<std::uint32_t>(model.splits.size()), 0,
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
                model.splits.push_back({static_cast<std::uint32_t>(first),
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
            model.trees.push_back(tree);
            if (consumed)
                consumed(static_cast<std::size_t>(in.at() - data));
        }
    }

    if (in.count(1) != cascades && !in.failed())
        in.fail(QStringLiteral("número de anclas distinto del de cascadas"));
    for (std::size_t c = 0; c < cascades && !in.failed(); ++c) {
        LandmarkModel::Cascade& cascade = model.cascades[c];
        cascade.firstPixel = static_cast<std::uint32_t>(model.anchors.size());
        const std::size_t n = in.count(1);
        cascade.pixelCount = static_cast<std::uint32_t>(n);
        for (std::size_t i = 0; i < n && !in.failed(); ++i) {
            const std::uint64_t anchor = in.unsignedValue();
            if (anchor >= points)
                in.fail(QStringLiteral("ancla fuera de la forma"));
            model.anchors.push_back(static_cast<std::uint32_t>(anchor));
        }
    }
    if (in.count(1) != cascades && !in.failed())
        in.fail(QStringLiteral("número de desplazamientos distinto del de cascadas"));
    for (std::size_t c = 0; c < cascades && !in.failed(); ++c) {
        const LandmarkModel::Cascade& cascade = model.cascades[c];
        const std::size_t n = in.count(4);
        if (n != cascade.pixelCount)
            in.fail(QStringLiteral("desplazamientos y anclas no coinciden"));
        for (std::size_t i = 0; i < n && !in.failed(); ++i) {
            model.deltas.push_back(in.floatValue());
            model.deltas.push_back(in.floatValue());
        }
        if (!in.failed() && cascade.treeCount > 0 && largestIndex[c] >= cascade.pixelCount)
            in.fail(QStringLiteral("una división usa un píxel que no existe"));
    }
    if (in.failed())
        return failWith(in.error());
    if (cascades == 0)
        return failWith(QStringLiteral("modelo sin cascadas"));

    model.points = points;
    return std::make_unique<LandmarkModel>(std::move(model));
}

} // namespace tisko
