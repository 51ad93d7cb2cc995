// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Judges the five worked examples of the posture rule with the core and prints the verdicts.
#include "TiskoCore/PostureJudge.h"

#include <cstdio>
#include <string>

namespace {

std::string describe(const tisko::PostureVerdict& verdict) {
    char buffer[64];
    switch (verdict.kind()) {
    case tisko::PostureVerdict::Kind::tooClose:
        std::snprintf(buffer, sizeof buffer, "demasiado cerca (x%.2f)", verdict.ratio());
        return buffer;
    case tisko::PostureVerdict::Kind::slouching:
        std::snprintf(buffer, sizeof buffer, "encorvado (%.2f alturas)", verdict.drop());
        return buffer;
    case tisko::PostureVerdict::Kind::fine:
        return "bien";
    case tisko::PostureVerdict::Kind::away:
        return "nadie";
    }
    return {};
}

} // namespace

int main() {
    using namespace tisko;
    Calibration reference;
    reference.name = "Mesa";
    reference.reference = HeadMeasurement{0.25, 0.125, 0.75, 0.25};
    const Thresholds normal = Thresholds::sensitivity(3);

    struct Example {
        const char* what;
        HeadMeasurement current;
        bool watchCloseness;
    };
    const Example examples[] = {
        {"ojos 0.15625, altura 0.75", {0.25, 0.15625, 0.75, 0.25}, true},
        {"sin ojos, ancho 0.3125", {0.3125, std::nullopt, 0.75, 0.25}, true},
        {"ojos 0.125, altura 0.625", {0.25, 0.125, 0.625, 0.25}, true},
        {"ojos 0.15625, altura 0.625, sin vigilar cercanía", {0.25, 0.15625, 0.625, 0.25}, false},
        {"ojos 0.125, altura 0.70", {0.25, 0.125, 0.70, 0.25}, true},
    };
    std::printf(
        "Referencia: ancho 0.25, ojos 0.125, altura 0.75, alto 0.25; sensibilidad Normal\n");
    for (const Example& example : examples) {
        const PostureVerdict verdict =
            PostureJudge::judge(example.current, reference, normal, example.watchCloseness, true);
        std::printf("  %-50s -> %s\n", example.what, describe(verdict).c_str());
    }
    std::printf("  %-50s -> %s\n", "sin cara",
                describe(PostureJudge::judge(std::nullopt, reference, normal, true, true)).c_str());
    return 0;
}
