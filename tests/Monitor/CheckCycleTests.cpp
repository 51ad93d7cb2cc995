// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What one look turns into: the verdict, the log line, the warning with its streak, the
// reference hint, the counters and the counters file.
#include "MonitorHarness.h"

#include "Tisko/Support/SettingsStore.h"
#include "Tisko/Support/Storage.h"
#include "TiskoCore/JsonCodec.h"

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

using Trigger = Monitor::Trigger;

// The reference hint lines logged over `count` manual looks seeing `face`.
QStringList hints(MonitorHarness& h, const HeadMeasurement& face,
                  int count = ReferenceCheck::defaultWindow) {
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << h.check(faceResult(face)).filter(QStringLiteral("parece no encajar"));
    return lines;
}

TEST(CheckCycle, aLookThatSawNothingCountsAndSavesNothing) {
    LookResult nothingAnalysed = nobodyResult();
    nothingAnalysed.analysed = 0;
    LookResult busy = failedResult();
    busy.cameraBusy = true;
    for (const auto& [result, line] : {std::pair{failedResult(), "la cámara no se ha abierto"},
                                       {nothingAnalysed, "la cámara no ha dado ninguna imagen"},
                                       {busy, "otra aplicación está usando la cámara"}}) {
        MonitorHarness h;
        h.startWatching(position("Mesa"));
        h.clock().advance(180);
        h.camera().present = false; // the camera went away during the look
        h.finishLook(result);
        EXPECT_EQ(h.newLogLines(),
                  QStringList{QStringLiteral("Mirada (reloj): ") + QString::fromUtf8(line)});
        EXPECT_FALSE(h.monitor().lastVerdict().has_value());
        EXPECT_TRUE(h.monitor().tally().days.empty());
        EXPECT_TRUE(h.dataFile(Storage::tallyFileName).isEmpty());
        EXPECT_FALSE(h.monitor().isLooking());
        // A failed look shows at once what became of the camera.
        if (!result.cameraBusy) {
            EXPECT_EQ(h.monitor().state().kind(), Monitor::State::Kind::noCamera) << line;
        }
    }
}

TEST(CheckCycle, eachJudgedLookIsLoggedCountedAndSaved) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    EXPECT_EQ(
        h.check(faceResult(fineFace())),
        QStringList{QStringLiteral("Mirada (a mano) · Mesa · Bien · cerca 1.000 · baja 0.000 · "
                                   "6/6 con cara · 640x480")});
    LookResult shared = faceResult(slouchedFace());
    shared.withFace = 4;
    shared.sharedWithAnotherApp = true;
    EXPECT_EQ(h.check(shared).first(),
              QStringLiteral("Mirada (a mano) · Mesa · Encorvado · cerca 1.000 · baja 0.600 · "
                             "4/6 con cara · 640x480 · cámara compartida"));
    EXPECT_TRUE(h.monitor().lastCheckShared());
    EXPECT_EQ(
        h.check(nobodyResult(), Trigger::clock),
        QStringList{QStringLiteral("Mirada (reloj) · Mesa · No te veo · 0/6 con cara · 640x480")});
    EXPECT_FALSE(h.monitor().lastCheckShared());
    EXPECT_EQ(h.monitor().lastCheck(), h.clock().now());

    const std::optional<DailyTally> saved =
        JsonCodec<DailyTally>::decode(h.dataFile(Storage::tallyFileName).toStdString());
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, h.monitor().tally());
    EXPECT_EQ(saved->days.at(0).checks, 2);
}

TEST(CheckCycle, warningsFollowThePolicyAndTheWatchSettings) {
    MonitorHarness h; // cool-down 600 s; the policy's own rules are tested in the core
    h.startWatching(position("Mesa"));
    EXPECT_EQ(h.check(faceResult(closeFace())).last(), QStringLiteral("Aviso enviado"));
    h.clock().advance(599);
    EXPECT_TRUE(h.check(faceResult(slouchedFace())).filter(QStringLiteral("Aviso")).isEmpty());
    h.clock().advance(1);
    EXPECT_EQ(h.check(faceResult(slouchedFace())).last(),
              QStringLiteral("Aviso enviado (2º seguido; el siguiente, como pronto en 20 min)"));
    // A fine look ends the run: the next warning is the first of a new one.
    h.check(faceResult(fineFace()));
    h.clock().advance(600);
    EXPECT_EQ(h.check(faceResult(closeFace())).last(), QStringLiteral("Aviso enviado"));
    ASSERT_EQ(h.notified.size(), 3u);
    EXPECT_EQ(h.notified[1].kind(), PostureVerdict::Kind::slouching);
    const DailyTally::Day today = h.monitor().tally().day(h.clock().now(), h.clock().calendar());
    EXPECT_EQ(today.alerts(), 3);
    EXPECT_EQ(today.checks, 5);

    SettingsStore::setWatchCloseness(false);
    SettingsStore::setWatchSlouch(false);
    h.clock().advance(3600);
    h.check(faceResult(closeFace()));
    h.check(faceResult(slouchedFace()));
    EXPECT_EQ(h.notified.size(), 3u);
    EXPECT_EQ(h.monitor().lastVerdict(), PostureVerdict::fine());
}

TEST(CheckCycle, referenceHintIsLoggedOncePerChangeAndADismissalHoldsForADay) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    const QStringList slouched{
        QStringLiteral("La posición «Mesa» parece no encajar: casi todo sale encorvado")};
    EXPECT_EQ(hints(h, slouchedFace(), ReferenceCheck::defaultWindow + 5), slouched);
    EXPECT_EQ(h.monitor().referenceSuspect(), ReferenceCheck::Problem::slouching);
    EXPECT_EQ(hints(h, closeFace()),
              QStringList{QStringLiteral(
                  "La posición «Mesa» parece no encajar: casi todo sale demasiado cerca")});
    EXPECT_EQ(h.monitor().referenceSuspect(), ReferenceCheck::Problem::tooClose);
    // Gone with enough fine looks, and back again later: logged again.
    EXPECT_TRUE(hints(h, fineFace()).isEmpty());
    EXPECT_FALSE(h.monitor().referenceSuspect().has_value());
    EXPECT_EQ(hints(h, slouchedFace()), slouched);

    h.monitor().dismissReferenceSuspect();
    EXPECT_EQ(h.newLogLines(),
              QStringList{QStringLiteral("Aviso de posición descartado hasta mañana")});
    EXPECT_FALSE(h.monitor().referenceSuspect().has_value());
    h.clock().advance(86399);
    EXPECT_TRUE(hints(h, slouchedFace(), 5).isEmpty());
    EXPECT_FALSE(h.monitor().referenceSuspect().has_value());
    h.clock().advance(1);
    EXPECT_EQ(hints(h, slouchedFace(), 1), slouched);
    EXPECT_EQ(h.monitor().referenceSuspect(), ReferenceCheck::Problem::slouching);
}

TEST(CheckCycle, aLookIsJudgedAgainstThePositionItStartedWith) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    Calibration sofa = position("Sofá");
    sofa.reference = closeFace(); // against the sofa, the close face is fine
    h.monitor().look(Trigger::manual);
    h.monitor().saveCalibration(sofa);
    h.newLogLines();
    h.finishLook(faceResult(closeFace()));
    EXPECT_TRUE(h.newLogLines().first().startsWith(
        QStringLiteral("Mirada (a mano) · Mesa · Demasiado cerca")));
}

} // namespace
} // namespace tisko::test
