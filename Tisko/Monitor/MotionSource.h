// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <memory>
#include <optional>

namespace tisko {

// The head-pitch source the Monitor listens to, as the Monitor uses it.
class MotionSource {
public:
    virtual ~MotionSource() = default;
    // Begins listening; harmless when already listening.
    virtual void start() = 0;
    // Stops listening and forgets the last pitch.
    virtual void stop() = 0;
    // The last pitch in radians; absent when none is known.
    virtual std::optional<double> pitch() const = 0;
    // True when head motion may not be read at all (the source cannot be opened).
    virtual bool permissionDenied() const = 0;
    // Called with each new pitch, in radians, on the main thread.
    virtual void setOnPitch(std::function<void(double)> onPitch) = 0;
    // Called with true when headphones that report motion connect and false when they go.
    virtual void setOnConnectionChange(std::function<void(bool)> onChange) = 0;

    // The head tracker over loopback UDP on its default port.
    static std::unique_ptr<MotionSource> create();
};

} // namespace tisko
