// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HeadMeasurement.h"

#include <algorithm>

namespace tisko {

namespace {

// The middle value of a non-empty list: the mean of the two middle ones for an even count.
double middle(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    if (n % 2 == 1)
        return values[n / 2];
    return (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

std::optional<HeadMeasurement>
HeadMeasurement::median(const std::vector<HeadMeasurement>& samples) {
    if (samples.empty())
        return std::nullopt;
    std::vector<double> widths, ys, heights, eyes;
    for (const HeadMeasurement& sample : samples) {
        widths.push_back(sample.faceWidth);
        ys.push_back(sample.faceY);
        heights.push_back(sample.faceHeight);
        if (sample.eyeDistance)
            eyes.push_back(*sample.eyeDistance);
    }
    HeadMeasurement result;
    result.faceWidth = middle(std::move(widths));
    result.faceY = middle(std::move(ys));
    result.faceHeight = middle(std::move(heights));
    if (!eyes.empty() && eyes.size() * 2 >= samples.size())
        result.eyeDistance = middle(std::move(eyes));
    return result;
}

} // namespace tisko
