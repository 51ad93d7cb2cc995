// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/Log.h"

#include "Tisko/Support/JournalLog.h"
#include "Tisko/Support/LogWriter.h"

#include <QDir>

#include <cstdlib>
#include <memory>
#include <mutex>

namespace tisko {

namespace {

std::mutex writerMutex;
// Never destroyed at exit, so lines logged from late destructors still go somewhere; an
// exit handler writes what is queued.
LogWriter* writer = nullptr;

QString stateHome() {
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    // Relative values are invalid by the XDG rules and are ignored.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + QStringLiteral("/.local/state");
}

// Queues under the lock, so a restart in a test never pulls the writer from under a caller.
void writeLine(LogLevel level, const QString& message) {
    std::lock_guard lock(writerMutex);
    if (!writer) {
        static std::once_flag exitHook;
        std::call_once(exitHook, [] { std::atexit(&Log::flush); });
        writer = new LogWriter(Log::filePath(),
                               std::make_unique<JournalLog>(QByteArrayLiteral(TISKO_APP_ID)),
                               QStringLiteral(TISKO_APP_ID ".log"));
    }
    writer->write(level, message);
}

} // namespace

void Log::info(const QString& message) {
    writeLine(LogLevel::info, message);
}

void Log::error(const QString& message) {
    writeLine(LogLevel::error, message);
}

void Log::flush() {
    std::lock_guard lock(writerMutex);
    if (writer)
        writer->flush();
}

QString Log::filePath() {
    return stateHome() + QStringLiteral("/Tisko/Tisko.log");
}

void Log::restartForTesting() {
    std::lock_guard lock(writerMutex);
    delete writer;
    writer = nullptr;
}

} // namespace tisko
