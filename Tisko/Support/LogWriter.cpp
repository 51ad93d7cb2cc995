#include "Tisko/Support/LogWriter.h"

#include "Tisko/Support/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tisko {

LogWriter::LogWriter(QString filePath, std::unique_ptr<SystemLog> systemLog, QString queueLabel,
                     Clock clock)
    : m_filePath(std::move(filePath))
    , m_systemLog(std::move(systemLog))
    , m_clock(std::move(clock))
    , m_queue(std::move(queueLabel)) {}

LogWriter::~LogWriter() = default;

void LogWriter::write(LogLevel level, QString message) {
    m_queue.async([this, level, message = std::move(message)] {
        if (m_systemLog)
            m_systemLog->write(level, message);
        append(formatLine(m_clock(), level, message));
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

void LogWriter::append(const QByteArray& line) {
    // Opened and closed for every line, so a file moved or deleted meanwhile is recreated.
    const QByteArray path = QFile::encodeName(m_filePath);
    const int flags = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC;
    int fd = ::open(path.constData(), flags, 0600);
    if (fd < 0 && errno == ENOENT) {
        PrivateFiles::makeFolder(QFileInfo(m_filePath).absolutePath());
        fd = ::open(path.constData(), flags, 0600);
    }
    if (fd < 0)
        return;                       // the line is lost from the file; the system log still has it
    PrivateFiles::writeAll(fd, line); // a failed write loses the line from the file only
    ::close(fd);
}

} // namespace tisko
