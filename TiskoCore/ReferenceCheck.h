// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TiskoCore/PostureVerdict.h"

#include <optional>
#include <vector>

namespace tisko {

// Notices a reference position that no longer fits: a sliding window over the latest checks
// that saw a face, suspect when a large share of them were bad.
class ReferenceCheck {
public:
    enum class Problem { tooClose, slouching };

    // The checks the usual window holds.
    static constexpr int defaultWindow = 40;
    // The usual share of bad checks in a full window that makes the position suspect.
    static constexpr double defaultShare = 0.75;

    ReferenceCheck(int window = defaultWindow, double share = defaultShare)
        : m_window(window)
        , m_share(share) {}

    int window() const { return m_window; }
    double share() const { return m_share; }

    // Adds a check to the window; away verdicts are ignored.
    void record(const PostureVerdict& verdict);
    // The dominating problem once the window is full and bad enough; slouching wins ties.
    std::optional<Problem> suspect() const;
    // Empties the window.
    void reset() { m_recent.clear(); }

    bool operator==(const ReferenceCheck&) const = default;

private:
    int m_window;
    double m_share;
    std::vector<std::optional<Problem>> m_recent; // oldest first
};

} // namespace tisko
