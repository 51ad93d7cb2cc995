// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/App/TerminationSignals.h"

#include "Tisko/Support/Log.h"

#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace tisko::TerminationSignals {

namespace {

// Past the grace, the watchdog thread logs and ends the process; should even that not come
// through (the log's disk stuck), the alarm ends it this much later.
constexpr int alarmAfterGraceMs = 2000;

// The signal handler writes to [0]; the main thread reads [1].
int signalPipe[2] = {-1, -1};
// The same for the watchdog thread.
int watchdogPipe[2] = {-1, -1};
volatile std::sig_atomic_t pendingSignal = 0;
volatile std::sig_atomic_t graceMicroseconds = 0;

// Ends the process by `signal` with its default action.
void endBy(int signal) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

void onAlarm(int) {
    endBy(pendingSignal);
}

void onSignal(int signal) {
    if (pendingSignal != 0) {
        endBy(signal);
        return;
    }
    pendingSignal = signal;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] auto written = ::write(signalPipe[0], &byte, 1);
    written = ::write(watchdogPipe[0], &byte, 1);
    const long alarmMicroseconds = graceMicroseconds + alarmAfterGraceMs * 1000L;
    itimerval grace{};
    grace.it_value.tv_sec = alarmMicroseconds / 1000000;
    grace.it_value.tv_usec = alarmMicroseconds % 1000000;
    ::setitimer(ITIMER_REAL, &grace, nullptr);
}

// Waits for a signal, then for the grace; a process still alive then has its main thread
// stuck where it cannot quit.
void watch() {
    char byte = 0;
    while (::read(watchdogPipe[1], &byte, 1) < 0 && errno == EINTR) {
    }
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::microseconds(static_cast<long>(graceMicroseconds));
    while (std::chrono::steady_clock::now() < end)
        ::poll(nullptr, 0, 100);
    const int signal = pendingSignal;
    Log::error(QStringLiteral("Tisko termina a la fuerza: %1 s después de %2 seguía sin "
                              "terminar (¿el servidor X no responde?)")
                   .arg(graceMicroseconds / 1e6)
                   .arg(name(signal)));
    Log::flush();
    endBy(signal);
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

} // namespace

void install(QObject* context, std::function<void(int signal)> quit, int graceMs) {
    if (signalPipe[0] < 0 &&
        (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0 ||
         ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, watchdogPipe) != 0))
        return;
    static const bool watching = [] {
        std::thread(watch).detach();
        return true;
    }();
    (void)watching;
    graceMicroseconds = static_cast<std::sig_atomic_t>(graceMs) * 1000;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [quit = std::move(quit)] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
        quit(static_cast<unsigned char>(byte));
    });
    handle(SIGALRM, onAlarm);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        handle(signal, onSignal);
}

QString name(int signal) {
    const char* abbreviation = ::sigabbrev_np(signal);
    return abbreviation ? QStringLiteral("SIG") + QString::fromLatin1(abbreviation)
                        : QStringLiteral("la señal %1").arg(signal);
}

} // namespace tisko::TerminationSignals
