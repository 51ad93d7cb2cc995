#pragma once

namespace tisko {

// The outcome of one check: too close (by a size ratio), slouching (by a drop in reference
// face heights), fine, or away (no face).
class PostureVerdict {
public:
    enum class Kind { tooClose, slouching, fine, away };

    static PostureVerdict tooClose(double ratio) { return {Kind::tooClose, ratio}; }
    static PostureVerdict slouching(double drop) { return {Kind::slouching, drop}; }
    static PostureVerdict fine() { return {Kind::fine, 0}; }
    static PostureVerdict away() { return {Kind::away, 0}; }

    Kind kind() const { return m_kind; }
    // The size ratio of a tooClose verdict (0 for other kinds).
    double ratio() const { return m_kind == Kind::tooClose ? m_value : 0; }
    // The drop of a slouching verdict (0 for other kinds).
    double drop() const { return m_kind == Kind::slouching ? m_value : 0; }
    // True for tooClose and slouching.
    bool isBad() const { return m_kind == Kind::tooClose || m_kind == Kind::slouching; }

    bool operator==(const PostureVerdict&) const = default;

private:
    PostureVerdict(Kind kind, double value)
        : m_kind(kind)
        , m_value(value) {}
    Kind m_kind;
    double m_value;
};

} // namespace tisko
