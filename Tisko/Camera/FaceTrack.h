// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/LandmarkModel.h"

#include <optional>

namespace tisko {

// Where the last analysed frame of one camera session showed its face. Between the frames
// of a look a face barely moves, so the next frame is searched first in a small region
// around it, which is several times cheaper than searching the whole picture. Each session
// keeps its own; nothing carries over from one session to the next.
struct FaceTrack {
    // The face's box refitted to its landmarks, in pixels of the last frame; absent when
    // that frame showed no face.
    std::optional<PixelBox> box;
    // The detector's box of that face: when this frame's is much the same, the face has not
    // moved and its landmarks start from `box`, which saves placing them again.
    PixelBox found;
    // Whether a frame of this session was searched whole and showed nobody: the following
    // ones are then only searched as the detector searches a picture given whole, which
    // still finds anyone who sits down in ordinary light; the next session searches whole.
    bool nobody = false;
    // The size of the frame the box belongs to; a frame of another size is searched whole.
    int frameWidth = 0;
    int frameHeight = 0;

    // Forgets the face, so the next frame is searched whole.
    void reset() { *this = FaceTrack(); }
};

} // namespace tisko
