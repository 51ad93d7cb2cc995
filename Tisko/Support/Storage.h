// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/JsonCodec.h"

#include <QByteArray>
#include <QLatin1String>
#include <QString>

#include <exception>
#include <optional>
#include <string_view>

namespace tisko {

// The data folder $XDG_DATA_HOME/Tisko (0700) and its JSON files (0600). Reads and writes
// are meant for the main thread; the folder may be asked for from any thread.
class Storage {
public:
    Storage() = delete;

    // The positions file.
    static constexpr QLatin1String positionsFileName{"posiciones.json"};
    // The counters file.
    static constexpr QLatin1String tallyFileName{"recuento.json"};

    // The data folder, found once per process and created on first use.
    static QString folder();
    // The folder plus the file name.
    static QString filePath(const QString& fileName);

    // Writes the JSON of `value` to the file atomically. On failure (a value JSON cannot hold,
    // a document over the size readers accept, a file that could not be read, a write error)
    // logs "No se ha podido guardar <file>: <reason>", leaves the old file as it was and returns
    // false.
    template <class T> static bool save(const T& value, const QString& fileName);
    // Reads the file as a T. A missing or empty file gives nothing. A file that does not decode
    // (or is larger than Tisko writes) gives nothing too, and is first moved aside as
    // "<file>.damaged-<UTC stamp>" with one error line, so the next save loses nothing. One that
    // cannot be read (no permission, a folder, a FIFO or device) is left in place with one error
    // line, and saves refuse to replace it until a later load has read it. Temporary files of
    // saves interrupted over a minute ago are removed first.
    template <class T> static std::optional<T> load(const QString& fileName);
    // Reads the file as a T and changes nothing: no file is moved, created or removed, nothing
    // is logged, not even the folder is created. For the diagnostics, which run beside Tisko.
    template <class T> static std::optional<T> peek(const QString& fileName);

    // Replaces the file's content atomically: a private temporary file beside it, flushed to
    // disk, renamed over the file. A symbolic link is written through: its target is replaced
    // and the link stays. Logs and returns false on failure.
    static bool write(const QString& fileName, const QByteArray& bytes);

    // Tests only: the next use finds the folder again from the environment, and forgets which
    // files could not be read.
    static void forgetFolderForTesting();

private:
    // The content of a file worth decoding; nothing for a missing or empty file, and nothing
    // for one that cannot be read (which is set aside or left alone, with one line).
    static std::optional<QByteArray> readForLoad(const QString& fileName);
    // The content of a file, or nothing, without a trace.
    static std::optional<QByteArray> readQuietly(const QString& fileName);
    // Moves a file that does not decode out of the way and logs one error line.
    static void setAside(const QString& fileName);
    static void reportSaveFailure(const QString& fileName, const QString& reason);
    template <class T> static std::optional<T> decode(const QByteArray& bytes);
};

template <class T> bool Storage::save(const T& value, const QString& fileName) {
    QByteArray bytes;
    try {
        bytes = QByteArray::fromStdString(JsonCodec<T>::encode(value));
    } catch (const std::exception& e) {
        reportSaveFailure(fileName, QString::fromUtf8(e.what()));
        return false;
    }
    return write(fileName, bytes);
}

template <class T> std::optional<T> Storage::decode(const QByteArray& bytes) {
    try {
        return JsonCodec<T>::decode(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

template <class T> std::optional<T> Storage::load(const QString& fileName) {
    const std::optional<QByteArray> bytes = readForLoad(fileName);
    if (!bytes)
        return std::nullopt;
    std::optional<T> value = decode<T>(*bytes);
    if (!value)
        setAside(fileName);
    return value;
}

template <class T> std::optional<T> Storage::peek(const QString& fileName) {
    const std::optional<QByteArray> bytes = readQuietly(fileName);
    return bytes ? decode<T>(*bytes) : std::nullopt;
}

} // namespace tisko
