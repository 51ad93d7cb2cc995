// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <chrono>

namespace tisko {

// The desktop portal's Camera interface, through which a sandboxed Tisko reaches cameras:
// AccessCamera asks the user, OpenPipeWireRemote hands out a PipeWire connection that shows
// only the cameras.
class CameraPortal {
public:
    CameraPortal() = delete;

    enum class Answer { granted, denied, unavailable };

    // Whether Tisko runs inside a Flatpak sandbox (`flatpakInfo` exists).
    static bool inSandbox(const QString& flatpakInfo = QStringLiteral("/.flatpak-info"));
    // Asks for the camera and, when granted, a PipeWire remote, whose descriptor goes to
    // `fd`; `error` says why not otherwise. Waits at most `timeout` for the user's answer.
    static Answer openRemote(int* fd, QString* error, std::chrono::milliseconds timeout);
};

} // namespace tisko
