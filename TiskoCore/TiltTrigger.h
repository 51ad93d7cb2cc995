#pragma once

#include "TiskoCore/Date.h"

#include <optional>

namespace tisko {

// Turns head-pitch readings into occasional requests for an early look: fires when the head
// stayed tilted forward long enough, and not more often than a minimum gap.
class TiltTrigger {
public:
    TiltTrigger(double threshold, double holdFor, double minimumGap)
        : m_threshold(threshold)
        , m_holdFor(holdFor)
        , m_minimumGap(minimumGap) {}

    double threshold() const { return m_threshold; }
    double holdFor() const { return m_holdFor; }
    double minimumGap() const { return m_minimumGap; }

    // Feeds one reading (pitch and reference in the same unit); true when a look should start.
    bool update(double pitch, double reference, Date now);

    bool operator==(const TiltTrigger&) const = default;

private:
    double m_threshold;
    double m_holdFor;
    double m_minimumGap;
    std::optional<Date> m_tiltedSince;
    std::optional<Date> m_lastFire;
};

} // namespace tisko
