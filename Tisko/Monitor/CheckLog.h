// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/LookResult.h"
#include "Tisko/Monitor/LookTrigger.h"
#include "TiskoCore/Calibration.h"
#include "TiskoCore/Date.h"
#include "TiskoCore/PostureVerdict.h"
#include "TiskoCore/ReferenceCheck.h"

#include <QString>

#include <cstdint>
#include <optional>

// The sentences the Monitor writes to the log, one function each, so that the rules of the
// watcher read without the wording.
namespace tisko::CheckLog {

// The word of a trigger: "reloj", "seguidor de cabeza", "a mano".
QString triggerWord(LookTrigger trigger);
// The short text of a verdict: "Demasiado cerca", "Encorvado", "Bien", "No te veo"; the
// panel shows it in the user's language (context "Monitor"), the log always in Spanish.
const char* verdictWords(const PostureVerdict& verdict);
// The same for the log and the diagnostics' files.
QString describe(const PostureVerdict& verdict);

// The start: "Vigilando: <position> · cada <n> s".
QString watching(const std::optional<Calibration>& active, double interval);
// A look that saw nothing because another application holds the camera.
QString cameraBusy(LookTrigger trigger);
// A look whose camera did not open, or gave no picture.
QString lookFailed(LookTrigger trigger, bool failed);
// One check: trigger, position, verdict with the figures it was judged on, the frames with
// a face, the picture format and whether the camera was shared.
QString look(LookTrigger trigger, const Calibration& calibration, const PostureVerdict& verdict,
             const LookResult& result);
// A warning sent, with its place in a streak and the earliest next one.
QString alertSent(std::int64_t streak, double gapSeconds);
// The active position seems not to fit any more.
QString referenceSuspect(const Calibration& calibration, ReferenceCheck::Problem problem);
// A pause until `until`, or its end when absent.
QString pause(std::optional<Date> until);
// A held forward tilt of `radians` that asks for a look.
QString tilt(double radians);
// A newly recorded position with its reference sizes.
QString positionSaved(const Calibration& calibration);
// The position chosen by the user, or the one the connected displays chose.
QString positionInUse(const std::optional<Calibration>& active);
QString positionForDisplays(const Calibration& match);

} // namespace tisko::CheckLog
