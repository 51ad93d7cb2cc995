// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/JournalLog.h"

#include <sys/uio.h>
#include <syslog.h>
#include <systemd/sd-journal.h>

#include <array>
#include <cstring>

namespace tisko {

JournalLog::JournalLog(QByteArray identifier)
    : m_identifier(std::move(identifier)) {}

void JournalLog::write(LogLevel level, const QString& message) {
    const int priority = level == LogLevel::error ? LOG_ERR : LOG_INFO;
    // Fields go as raw byte ranges so line feeds and NULs in the message survive.
    const QByteArray text = QByteArrayLiteral("MESSAGE=") + message.toUtf8();
    const QByteArray priorityField = QByteArrayLiteral("PRIORITY=") + QByteArray::number(priority);
    const QByteArray identifierField = QByteArrayLiteral("SYSLOG_IDENTIFIER=") + m_identifier;
    std::array<iovec, 3> fields{{
        {const_cast<char*>(text.constData()), static_cast<size_t>(text.size())},
        {const_cast<char*>(priorityField.constData()), static_cast<size_t>(priorityField.size())},
        {const_cast<char*>(identifierField.constData()),
         static_cast<size_t>(identifierField.size())},
    }};
    if (sd_journal_sendv(fields.data(), static_cast<int>(fields.size())) >= 0)
        return;
    if (!m_syslogOpen) {
        // openlog keeps the pointer; m_identifier lives as long as this object.
        openlog(m_identifier.constData(), LOG_PID, LOG_USER);
        m_syslogOpen = true;
    }
    syslog(priority, "%s", message.toUtf8().constData());
}

} // namespace tisko
