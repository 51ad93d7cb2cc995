// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/PixelBuffer.h"

#include <cstdint>
#include <vector>

namespace tisko {

// A small owned grey picture, one byte a pixel, rows top to bottom without padding: the
// copy of a frame that the face detector searches.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    // The frame resized by `scale`: reduced by averaging the pixels each one covers (at most
    // a few samples per axis, so huge frames stay cheap), enlarged by linear interpolation.
    static GreyImage scaledFrom(const PixelBuffer& frame, double scale);
    // Spreads the brightness over the whole range so that a dark frame shows the same
    // shapes as a bright one.
    void equalize();
    // Mean brightness (0 to 255); 0 for an empty picture.
    double meanBrightness() const;
};

} // namespace tisko
