// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ReferenceCheck.h"

#include <algorithm>

namespace tisko {

void ReferenceCheck::record(const PostureVerdict& verdict) {
    switch (verdict.kind()) {
    case PostureVerdict::Kind::away:
        return;
    case PostureVerdict::Kind::tooClose:
        m_recent.emplace_back(Problem::tooClose);
        break;
    case PostureVerdict::Kind::slouching:
        m_recent.emplace_back(Problem::slouching);
        break;
    case PostureVerdict::Kind::fine:
        m_recent.emplace_back(std::nullopt);
        break;
    }
    const std::size_t keep = std::size_t(std::max(m_window, 1));
    if (m_recent.size() > keep)
        m_recent.erase(m_recent.begin(), m_recent.end() - std::ptrdiff_t(keep));
}

std::optional<ReferenceCheck::Problem> ReferenceCheck::suspect() const {
    if (m_recent.size() < std::size_t(std::max(m_window, 1)))
        return std::nullopt;
    const auto bad = std::count_if(m_recent.begin(), m_recent.end(),
                                   [](const auto& entry) { return entry.has_value(); });
    if (m_share * double(m_window) > double(bad))
        return std::nullopt;
    const auto slouching = std::count(m_recent.begin(), m_recent.end(), Problem::slouching);
    return 2 * slouching >= bad ? Problem::slouching : Problem::tooClose;
}

} // namespace tisko
