// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/App/TerminationSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace tisko::TerminationSignals {

namespace {

// The signal handler writes to [0]; the main thread reads [1].
int signalPipe[2] = {-1, -1};
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
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
    itimerval grace {};
    grace.it_value.tv_sec = graceMicroseconds / 1000000;
    grace.it_value.tv_usec = graceMicroseconds % 1000000;
    ::setitimer(ITIMER_REAL, &grace, nullptr);
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

} // namespace

void install(QObject* context, std::function<void()> quit, int graceMs) {
    if (signalPipe[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    graceMicroseconds = static_cast<std::sig_atomic_t>(graceMs) * 1000;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [quit = std::move(quit)] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
        quit();
    });
    handle(SIGALRM, onAlarm);
    handle(SIGTERM, onSignal);
    handle(SIGINT, onSignal);
}

} // namespace tisko::TerminationSignals
