// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/EdidSource.h"

#include <QByteArray>

#include <memory>
#include <optional>

namespace tisko {

// Tisko's own connection to the X server, for the questions only X11 answers: input idle
// time (MIT-SCREEN-SAVER), display power (DPMS) and the outputs' EDID (RandR). Main thread
// only. Every answer is absent when there is no X server or it lacks the extension.
class X11Display : public EdidSource {
public:
    // Connects to the named display, or $DISPLAY when the name is empty.
    explicit X11Display(const QByteArray& name = {});
    ~X11Display() override;
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    // The process-wide connection to $DISPLAY, made on first use.
    static X11Display& shared();

    // True when the connection to the server is open.
    bool isOpen() const;
    // Milliseconds since the last keyboard or pointer input.
    std::optional<unsigned long> idleMilliseconds();
    // True when DPMS has turned the monitor to standby, suspend or off.
    std::optional<bool> monitorAsleep();
    std::optional<std::vector<QByteArray>> connectedEdids() override;
    // True when a tray owns the XEmbed system tray selection of the default screen.
    bool systemTrayPresent();
    // Asks the window manager to activate `window` for a user action at `timestamp` (the X
    // server time of the launch that asked), so that focus-stealing prevention lets it.
    bool activate(unsigned long window, unsigned long timestamp);
    // Ends the launch feedback (the busy cursor) of the startup sequence `startupId`.
    bool endStartup(const QByteArray& startupId);

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
};

} // namespace tisko
