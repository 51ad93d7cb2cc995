// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LoggedLines.h"

#include "Tisko/Support/Log.h"

#include <QFile>

namespace tisko::test {

QStringList loggedLines() {
    Log::flush();
    QFile file(Log::filePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString messageOf(const QString& line) {
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    return space < 0 ? line : line.mid(space + 7);
}

QStringList loggedMessages() {
    QStringList messages;
    for (const QString& line : loggedLines())
        messages << messageOf(line);
    return messages;
}

QStringList loggedErrors() {
    QStringList errors;
    for (const QString& line : loggedLines()) {
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        if (space > 0 && line.mid(space, 7) == QStringLiteral(" ERROR "))
            errors << messageOf(line);
    }
    return errors;
}

} // namespace tisko::test
