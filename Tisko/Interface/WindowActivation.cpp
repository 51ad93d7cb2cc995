// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/WindowActivation.h"

#include "Tisko/System/WaylandAttention.h"
#include "Tisko/System/X11Display.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <functional>

namespace tisko {

namespace {

// How long a handed-over token waits for its window, and a new window for the compositor.
constexpr int expectedMs = 5000;
constexpr int exposedWithinMs = 3000;
constexpr int exposedPollMs = 20;

// Runs `then` once the window is on screen (a compositor activates only a mapped window),
// or when it has not come within the bound.
void whenExposed(QWidget* window, std::function<void()> then, int leftMs = exposedWithinMs) {
    const QWindow* handle = window->windowHandle();
    if ((handle && handle->isExposed()) || leftMs <= 0) {
        then();
        return;
    }
    QTimer::singleShot(exposedPollMs, window,
                       [window = QPointer<QWidget>(window), then = std::move(then), leftMs] {
                           if (window)
                               whenExposed(window, then, leftMs - exposedPollMs);
                       });
}

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Asks the desktop to show that `window` is ready, without taking the focus. Qt does that on
// X11; on Wayland its version here does not, so Tisko asks the compositor itself.
void askForAttention(QWidget* window) {
    if (!onWayland()) {
        QApplication::alert(window);
        return;
    }
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    QWindow* handle = window->windowHandle();
    if (!native || !handle)
        return;
    tisko::askForAttention(
        static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display")),
        static_cast<wl_surface*>(native->nativeResourceForWindow("surface", handle)));
}

// Activates `window` with a launch's permission, on the desktop's own terms.
void activateWith(QWidget* window, const QByteArray& token) {
    if (onWayland()) {
        // Qt's Wayland shell spends a token from the environment on the next activation.
        qputenv("XDG_ACTIVATION_TOKEN", token);
        window->activateWindow();
        return;
    }
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        X11Display& display = X11Display::shared();
        const std::optional<unsigned long> time = WindowActivation::launchTime(token);
        if (!time || !display.activate(window->winId(), *time)) {
            window->activateWindow();
            askForAttention(window);
        }
        display.endStartup(token);
        return;
    }
    window->activateWindow();
}

} // namespace

QByteArray WindowActivation::launchToken() {
    const QByteArray wayland = qgetenv("XDG_ACTIVATION_TOKEN");
    return wayland.isEmpty() ? qgetenv("DESKTOP_STARTUP_ID") : wayland;
}

std::optional<unsigned long> WindowActivation::launchTime(const QByteArray& startupId) {
    const qsizetype at = startupId.lastIndexOf("_TIME");
    if (at < 0)
        return std::nullopt;
    bool ok = false;
    const unsigned long time = startupId.mid(at + 5).toULong(&ok);
    return ok && time > 0 ? std::optional(time) : std::nullopt;
}

void WindowActivation::expect(const QByteArray& token) {
    m_expected = token;
    m_expectedUntil.setRemainingTime(expectedMs);
}

std::optional<QByteArray> WindowActivation::takeExpected() {
    std::optional<QByteArray> expected;
    if (!m_expectedUntil.hasExpired())
        expected.swap(m_expected);
    m_expected.reset();
    return expected;
}

void WindowActivation::bringForward(QWidget* window) {
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    const std::optional<QByteArray> token = takeExpected();
    if (!token) {
        window->activateWindow(); // Tisko's own menu or window asked: the focus is Tisko's
        return;
    }
    if (token->isEmpty()) {
        // Nothing lets it take the focus from another program: the desktop shows it is ready.
        window->activateWindow();
        whenExposed(window, [window = QPointer<QWidget>(window)] {
            if (window && !window->isActiveWindow())
                askForAttention(window);
        });
        return;
    }
    whenExposed(window, [window = QPointer<QWidget>(window), token = *token] {
        if (window)
            activateWith(window, token);
    });
}

} // namespace tisko
