// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/QtMessages.h"

#include "Tisko/Support/Log.h"

#include <QHash>
#include <QString>

#include <mutex>

namespace tisko {

namespace {

using namespace std::chrono_literals;

// Different messages kept apart at most; past this the counts start again, so a stream of
// messages that all differ costs no more memory than this.
constexpr qsizetype remembered = 256;

struct Seen {
    std::chrono::steady_clock::time_point written;
    int held = 0;
};

struct Handler {
    std::mutex mutex;
    QtMessageHandler previous = nullptr;
    QtMessages::Clock clock;
    std::function<void(const QString&)> watcher;
    QHash<QString, Seen> seen;
};

// Never destroyed: Qt may still warn while the program's statics go.
Handler& handler() {
    static auto* instance = new Handler;
    return *instance;
}

// The line to write for `text` now, or nothing while the same text is held back.
QString lineFor(Handler& h, const QString& text) {
    std::lock_guard lock(h.mutex);
    const auto now = h.clock();
    if (h.seen.size() >= remembered && !h.seen.contains(text))
        h.seen.clear();
    const auto found = h.seen.constFind(text);
    if (found != h.seen.constEnd() && now - found->written < 1min) {
        ++h.seen[text].held;
        return {};
    }
    const int held = found == h.seen.constEnd() ? 0 : found->held;
    h.seen.insert(text, {now, 0});
    return held == 0 ? text : QStringLiteral("%1 (y %2 veces más)").arg(text).arg(held);
}

void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // A message Qt gives while the log itself is writing goes to stderr alone.
    static thread_local bool inside = false;
    Handler& h = handler();
    if (type != QtDebugMsg && type != QtInfoMsg && !inside) {
        inside = true;
        const QString text =
            QStringLiteral("Qt (%1): %2")
                .arg(QString::fromLatin1(context.category ? context.category : "default"), message);
        if (const QString line = lineFor(h, text); !line.isEmpty())
            type == QtWarningMsg ? Log::info(line) : Log::error(line);
        if (type == QtFatalMsg)
            Log::flush();
        inside = false;
    }
    if (h.previous)
        h.previous(type, context, message);
    std::function<void(const QString&)> watcher;
    {
        std::lock_guard lock(h.mutex);
        watcher = h.watcher;
    }
    if (watcher)
        watcher(message);
}

} // namespace

void QtMessages::install(Clock clock) {
    Handler& h = handler();
    {
        std::lock_guard lock(h.mutex);
        h.clock = std::move(clock);
        h.seen.clear();
    }
    const QtMessageHandler previous = qInstallMessageHandler(&handle);
    if (previous != &handle)
        h.previous = previous;
}

void QtMessages::setWatcher(std::function<void(const QString& message)> watcher) {
    Handler& h = handler();
    std::lock_guard lock(h.mutex);
    h.watcher = std::move(watcher);
}

void QtMessages::uninstall() {
    qInstallMessageHandler(handler().previous);
}

} // namespace tisko
