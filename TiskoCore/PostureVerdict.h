// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>

namespace tisko {

// The outcome of one check: too close (by a size ratio), slouching (by a drop in reference
// face heights), fine, or away (no face).
class PostureVerdict {
public:
    enum class Kind { tooClose, slouching, fine, away };

    // What a verdict on a face was judged on: its size ratio to the reference and its drop
    // in reference face heights.
    struct Figures {
        double closeness = 1;
        double drop = 0;
    };

    static PostureVerdict tooClose(double ratio) { return {Kind::tooClose, ratio}; }
    static PostureVerdict slouching(double drop) { return {Kind::slouching, drop}; }
    static PostureVerdict fine() { return {Kind::fine, 0}; }
    static PostureVerdict away() { return {Kind::away, 0}; }

    // The same verdict, carrying the figures it was judged on.
    PostureVerdict judgedOn(Figures figures) const {
        PostureVerdict verdict = *this;
        verdict.m_figures = figures;
        return verdict;
    }

    Kind kind() const { return m_kind; }
    // The size ratio of a tooClose verdict (0 for other kinds).
    double ratio() const { return m_kind == Kind::tooClose ? m_value : 0; }
    // The drop of a slouching verdict (0 for other kinds).
    double drop() const { return m_kind == Kind::slouching ? m_value : 0; }
    // True for tooClose and slouching.
    bool isBad() const { return m_kind == Kind::tooClose || m_kind == Kind::slouching; }
    // The figures of a judged face; absent when no face was seen or none were given.
    std::optional<Figures> figures() const { return m_figures; }

    // The same case with the same payload; the figures do not take part.
    bool operator==(const PostureVerdict& other) const {
        return m_kind == other.m_kind && m_value == other.m_value;
    }

private:
    PostureVerdict(Kind kind, double value)
        : m_kind(kind)
        , m_value(value) {}
    Kind m_kind;
    double m_value;
    std::optional<Figures> m_figures;
};

} // namespace tisko
