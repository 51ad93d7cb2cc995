// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QImage>
#include <QRectF>

#include <vector>

namespace tisko::test {

// The faces dlib's frontal face detector finds in `frame` used as its examples use it: the
// picture whole in dlib's own grey, every level of the pyramid, the default threshold.
// The line every face search of Tisko must reach.
std::vector<QRectF> shippedDetectorFaces(const QImage& frame);

} // namespace tisko::test
