// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/PixelBuffer.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tisko {

// A picture size of a camera format.
struct FrameSize {
    int width = 0;
    int height = 0;
    bool operator==(const FrameSize&) const = default;
};

// One frame handed over by a camera: its pixels, owned, or none when the camera delivered
// something that could not be read (a corrupt compressed frame).
struct CapturedFrame {
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    int width = 0;
    int height = 0;
    std::ptrdiff_t bytesPerLine = 0;
    PixelFormat format = PixelFormat::Bgra32;

    // The pixels as the analyzer reads them, if the frame has any.
    std::optional<PixelBuffer> pixels() const {
        if (!bytes)
            return std::nullopt;
        PixelBuffer view{bytes->data(), width, height, bytesPerLine, format};
        if (!view.isValid() ||
            static_cast<std::size_t>(bytesPerLine) * static_cast<std::size_t>(height) >
                bytes->size())
            return std::nullopt;
        return view;
    }
};

// The capture platform under a camera session: a V4L2 node or a sample camera. All calls
// but the frame handler come from the session's queue; frames come from the backend's
// own thread, newest first, dropping those the session is too busy to take.
class CameraBackend {
public:
    using FrameHandler = std::function<void(std::shared_ptr<const CapturedFrame>)>;
    virtual ~CameraBackend() = default;

    // Opens the device (the session's input); false when that is impossible.
    virtual bool open() = 0;
    // The size the device is set to now, if known.
    virtual std::optional<FrameSize> activeFormat() = 0;
    // Every size the device offers, in its own order.
    virtual std::vector<FrameSize> formats() = 0;
    // Sets the device to `size`; false when the device refuses.
    virtual bool setFormat(FrameSize size) = 0;
    // Starts streaming frames to `handler`; false when the stream cannot start.
    virtual bool start(FrameHandler handler) = 0;
    // Whether frames are flowing: false once stopped or when the device went away. Unlike
    // the other calls it may be asked from any thread.
    virtual bool isRunning() const = 0;
    // Whether the last open or start failed because another process holds the device.
    virtual bool busy() const { return false; }
    // Whether the stream started is one another program was already receiving.
    virtual bool joinedAnotherConsumer() const { return false; }
    // Stops streaming and closes the device; no frame is handed over afterwards.
    virtual void stop() = 0;
};

} // namespace tisko
