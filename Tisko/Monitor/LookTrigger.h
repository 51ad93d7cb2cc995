#pragma once

namespace tisko {

// Who asked for a look: the clock, a held forward tilt of the head, or the user.
enum class LookTrigger { clock, airPods, manual };

} // namespace tisko
