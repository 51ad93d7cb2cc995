// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Any byte string given to the reader of shape-predictor files must be refused with a
// reason or give a model that places its landmarks without reading outside its tables.
#include "Tisko/Camera/LandmarkModelParser.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A heap copy of the exact size, so any read past it is seen.
    const std::vector<std::uint8_t> bytes(data, data + size);
    QString error;
    const auto model = tisko::LandmarkModelParser::parse(bytes.data(), bytes.size(), &error);
    if (!model) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    std::vector<std::uint8_t> pixels(32 * 24, 128);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 7);
    const tisko::PixelBuffer frame{pixels.data(), 32, 24, 32, tisko::PixelFormat::Grey8};
    const auto points = model->predict(frame, {4, 3, 20, 18});
    if (static_cast<int>(points.size()) != model->pointCount())
        std::abort();
    return 0;
}
