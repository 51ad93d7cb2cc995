// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace tisko {

// Who asked for a look: the clock, a held forward tilt of the head, or the user.
enum class LookTrigger { clock, airPods, manual };

} // namespace tisko
