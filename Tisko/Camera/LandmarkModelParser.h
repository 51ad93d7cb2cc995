// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/LandmarkModel.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace tisko {

// Reads a landmark model from a shape-predictor file (the 68-point model of libdlib-data).
class LandmarkModelParser {
public:
    LandmarkModelParser() = delete;

    // Reads a model file; on failure returns null and sets `error`.
    static std::unique_ptr<LandmarkModel> load(const QString& path, QString* error);
    // Reads a model from bytes in the file's format; on failure returns null and sets `error`.
    // `consumed`, when given, is told after each tree how far the reading has come.
    static std::unique_ptr<LandmarkModel>
    parse(const std::uint8_t* data, std::size_t size, QString* error,
          const std::function<void(std::size_t consumed)>& consumed = {});
};

} // namespace tisko
