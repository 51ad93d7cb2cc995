// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Support/SerialQueue.h"
#include "Tisko/Support/SystemLog.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace tisko {

// Writes log lines to the system log and appends them to one file, both from its own serial
// queue, so a caller only copies the text and queues it. A line reaches the file whole or not
// at all (a full disk), always on a line of its own.
class LogWriter {
public:
    // The clock gives the stamp of each line, taken when the line is written.
    using Clock = std::function<QDateTime()>;

    // The size past which the file is set aside as "<file>.1" (replacing the one before) and
    // a new one begun, so the log never takes more than about twice this.
    static constexpr qint64 defaultMaxFileBytes = 5 * 1024 * 1024;

    // `filePath` (0600) and its folder (0700) are created when missing; anything but a regular
    // file there is left alone (one line to the system log says so). `systemLog` may be null
    // to write the file only.
    LogWriter(QString filePath, std::unique_ptr<SystemLog> systemLog, QString queueLabel,
              Clock clock = &QDateTime::currentDateTimeUtc,
              qint64 maxFileBytes = defaultMaxFileBytes);
    // Writes every line still queued.
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Queues one message; never blocks on the disk or the journal, never fails.
    void write(LogLevel level, QString message);
    // Returns once every line queued before the call has been written.
    void flush();

    // The file the lines are appended to.
    const QString& filePath() const { return m_filePath; }

    // The file line of a message: stamp with milliseconds in UTC, level tag, text, line feed.
    static QByteArray formatLine(const QDateTime& stamp, LogLevel level, const QString& message);
    // The message with every control character written out (`\n`, `\t`, `\x00`, `\u2028`),
    // bidirectional controls too (`\u202e`), so that no text can start a line of its own, put
    // binary bytes in the file or turn the rest of its line around.
    static QString escaped(const QString& message);

private:
    void append(const QByteArray& line);
    int openFile();

    const QString m_filePath;
    const std::unique_ptr<SystemLog> m_systemLog;
    const Clock m_clock;
    const qint64 m_maxFileBytes;
    bool m_refusalLogged = false; // only touched on the queue
    int m_linesLost = 0;          // lines the disk had no room for; only touched on the queue
    SerialQueue m_queue;          // last: it stops and drains before the members its tasks use go
};

} // namespace tisko
