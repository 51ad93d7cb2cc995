#pragma once

#include "Tisko/Support/SerialQueue.h"
#include "Tisko/Support/SystemLog.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace tisko {

// Writes log lines to the system log and appends them to one file, both from its own serial
// queue, so a caller only copies the text and queues it.
class LogWriter {
public:
    // The clock gives the stamp of each line, taken when the line is written.
    using Clock = std::function<QDateTime()>;

    // `filePath` (0600) and its folder (0700) are created when missing; `systemLog` may be
    // null to write the file only.
    LogWriter(QString filePath, std::unique_ptr<SystemLog> systemLog, QString queueLabel,
              Clock clock = &QDateTime::currentDateTimeUtc);
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

private:
    void append(const QByteArray& line);

    const QString m_filePath;
    const std::unique_ptr<SystemLog> m_systemLog;
    const Clock m_clock;
    SerialQueue m_queue; // last: it stops and drains before the members its tasks use go
};

} // namespace tisko
