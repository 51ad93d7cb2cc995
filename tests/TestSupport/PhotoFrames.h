// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/PixelBuffer.h"

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>

#include <vector>

namespace tisko::test {

// The fetched test photographs (tests/data/fetch-photos): astronaut.png, grace_hopper.jpg and
// messi5.jpg have faces; chelsea.png is a cat, brick.png a wall.
QString photoPath(const QString& name);
// The photograph decoded in 32-bit form, or a null image when it cannot be read.
QImage loadPhoto(const QString& name);

// A camera frame in memory: `photo` scaled by `scale` and turned by `degrees` about its point
// `anchor`, which lands on `target` of a frame of `size` filled with mid grey.
QImage composeFrame(const QImage& photo, QSize size, double scale, QPointF anchor, QPointF target,
                    double degrees = 0);

// The frame as the analyzer reads it (32-bit BGRA, as delivered by the camera).
PixelBuffer viewOf(const QImage& frame);

// The image darkened to `gain` of its brightness, as a camera gives it in its first second.
QImage darkened(const QImage& frame, double gain);

} // namespace tisko::test
