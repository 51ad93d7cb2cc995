// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/LogWriter.h"

#include "Tisko/Support/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tisko {

LogWriter::LogWriter(QString filePath, std::unique_ptr<SystemLog> systemLog, QString queueLabel,
                     Clock clock, qint64 maxFileBytes)
    : m_filePath(std::move(filePath))
    , m_systemLog(std::move(systemLog))
    , m_clock(std::move(clock))
    , m_maxFileBytes(maxFileBytes)
    , m_queue(std::move(queueLabel)) {}

LogWriter::~LogWriter() = default;

void LogWriter::write(LogLevel level, QString message) {
    m_queue.async([this, level, raw = std::move(message)] {
        const QString text = escaped(raw);
        if (m_systemLog)
            m_systemLog->write(level, text);
        append(formatLine(m_clock(), level, text));
    });
}

void LogWriter::flush() {
    m_queue.sync([] {});
}

QByteArray LogWriter::formatLine(const QDateTime& stamp, LogLevel level, const QString& message) {
    QByteArray line = stamp.toUTC().toString(Qt::ISODateWithMs).toUtf8();
    line += level == LogLevel::error ? " ERROR " : " INFO  ";
    line += message.toUtf8();
    line += '\n';
    return line;
}

QString LogWriter::escaped(const QString& message) {
    const auto isControl = [](char16_t c) {
        return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
               // the bidirectional marks, embeddings, overrides and isolates
               c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
               (c >= 0x2066 && c <= 0x2069);
    };
    if (std::none_of(message.begin(), message.end(),
                     [&](QChar c) { return isControl(c.unicode()); }))
        return message;
    QString text;
    text.reserve(message.size() + 8);
    for (const QChar c : message) {
        const char16_t code = c.unicode();
        if (!isControl(code))
            text += c;
        else if (code == u'\n')
            text += QLatin1String("\\n");
        else if (code == u'\r')
            text += QLatin1String("\\r");
        else if (code == u'\t')
            text += QLatin1String("\\t");
        else if (code <= 0xFF)
            text += QStringLiteral("\\x%1").arg(unsigned(code), 2, 16, QLatin1Char('0'));
        else
            text += QStringLiteral("\\u%1").arg(unsigned(code), 4, 16, QLatin1Char('0'));
    }
    return text;
}

int LogWriter::openFile() {
    // Only a regular file is taken: a FIFO in its place would hold the queue, and with it
    // every flush and the exit, until someone read it.
    const QByteArray path = QFile::encodeName(m_filePath);
    // Read too: the last byte tells whether the file ends inside a line.
    const int flags = O_RDWR | O_APPEND | O_CREAT;
    int fd = PrivateFiles::openRegular(path, flags, 0600);
    if (fd < 0 && errno == ENOENT) {
        PrivateFiles::makeFolder(QFileInfo(m_filePath).absolutePath());
        fd = PrivateFiles::openRegular(path, flags, 0600);
    }
    return fd;
}

namespace {

// Appends `line` to `fd` whole or not at all (a full disk may take part of it: the part is cut
// off again), starting a line of its own when the file ends inside one.
bool appendWhole(int fd, QByteArray line) {
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return false;
    char last = '\n';
    if (status.st_size > 0 && ::pread(fd, &last, 1, status.st_size - 1) == 1 && last != '\n')
        line.prepend('\n');
    if (PrivateFiles::writeAll(fd, line))
        return true;
    [[maybe_unused]] const int cut = ::ftruncate(fd, status.st_size);
    return false;
}

} // namespace

void LogWriter::append(const QByteArray& line) {
    // Opened and closed for every line, so a file moved or deleted meanwhile is recreated.
    int fd = openFile();
    if (fd < 0) {
        // The line is lost from the file; the system log still has it.
        const bool notAFile = errno == ENXIO || errno == EISDIR;
        if (notAFile && !m_refusalLogged && m_systemLog)
            m_systemLog->write(LogLevel::error,
                               escaped(m_filePath) +
                                   QStringLiteral(" no es un archivo normal: no escribo en él"));
        m_refusalLogged = m_refusalLogged || notAFile;
        return;
    }
    m_refusalLogged = false;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && status.st_size > 0 &&
        status.st_size + line.size() > m_maxFileBytes) {
        // Full: the file becomes the older one, and a new file says where the rest went.
        const QString older = m_filePath + QStringLiteral(".1");
        if (::rename(QFile::encodeName(m_filePath).constData(),
                     QFile::encodeName(older).constData()) == 0) {
            ::close(fd);
            fd = openFile();
            if (fd < 0)
                return;
            appendWhole(fd, formatLine(m_clock(), LogLevel::info,
                                       QStringLiteral("El registro llegó a su tamaño máximo: las "
                                                      "líneas anteriores están en ") +
                                           escaped(older)));
        }
    }
    // Lines that found no room are counted, and the first that finds room again says so.
    if (m_linesLost > 0 &&
        appendWhole(fd, formatLine(m_clock(), LogLevel::error,
                                   QStringLiteral("Faltan %1 líneas del registro: no cabían en "
                                                  "el disco")
                                       .arg(m_linesLost))))
        m_linesLost = 0;
    if (!appendWhole(fd, line)) // a failed write loses the line from the file only
        ++m_linesLost;
    ::close(fd);
}

} // namespace tisko
