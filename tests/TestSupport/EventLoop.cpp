// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EventLoop.h"

#include <QDeadlineTimer>
#include <QThread>

namespace tisko::test {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "tisko-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                                : new QCoreApplication(argc, argv);
    return *app;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    application();
    QDeadlineTimer deadline(limit);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

void spin(std::chrono::milliseconds time) {
    waitUntil([] { return false; }, time);
}

void endProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

} // namespace tisko::test
