// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Support/SystemLog.h"

#include <QByteArray>

namespace tisko {

// The systemd journal, under SYSLOG_IDENTIFIER = the application id; syslog(3) when no
// journal answers.
class JournalLog final : public SystemLog {
public:
    // `identifier` names the lines in the journal and in syslog.
    explicit JournalLog(QByteArray identifier);
    void write(LogLevel level, const QString& message) override;

private:
    QByteArray m_identifier;
    bool m_syslogOpen = false;
};

} // namespace tisko
