// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QDeadlineTimer>

#include <optional>

class QWidget;

namespace tisko {

// Brings Tisko's windows forward. A desktop lets a window take the focus from another
// program's only with the permission a launch carries (a Wayland activation token, an X11
// startup id): a later launch hands its own over, and the window it asked for uses it.
class WindowActivation {
public:
    // The permission this process was launched with, if any. Read it before the application
    // object exists: Qt takes DESKTOP_STARTUP_ID out of the environment.
    static QByteArray launchToken();
    // The X server time of an X11 startup id ("..._TIME<n>"), when it has one.
    static std::optional<unsigned long> launchTime(const QByteArray& startupId);

    // A later launch asked for a window, with `token` (empty when it had none): the next
    // window brought forward, within a few seconds, takes the focus with it, or asks for
    // attention when there is none.
    void expect(const QByteArray& token);
    // Shows, raises and activates `window`.
    void bringForward(QWidget* window);

private:
    std::optional<QByteArray> takeExpected();

    std::optional<QByteArray> m_expected;
    QDeadlineTimer m_expectedUntil;
};

} // namespace tisko
