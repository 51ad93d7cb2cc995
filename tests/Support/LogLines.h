#pragma once

#include "Tisko/Support/Log.h"

#include <QFile>
#include <QString>
#include <QStringList>

namespace tisko::test {

// The lines of the application's log file so far, once everything queued is written.
inline QStringList loggedLines() {
    Log::flush();
    QFile file(Log::filePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace tisko::test
