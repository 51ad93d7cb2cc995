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

struct Checking : MonitorHarness {
    explicit Checking(Calibration c = position("Mesa"))
        : calibration(std::move(c)) {
        monitor().start();
        monitor().saveCalibration(calibration);
        calibration = *monitor().book().active();
        newLogLines();
    }
    // A manual look answered at once; returns the lines it logged.
    QStringList check(const LookResult& result, Trigger trigger = Trigger::manual) {
        monitor().look(trigger);
        finishLook(result);
        return newLogLines();
    }
    // The reference hint lines logged over `count` manual looks seeing `face`.
    QStringList hints(const HeadMeasurement& face, int count = ReferenceCheck::defaultWindow) {
        QStringList lines;
        for (int i = 0; i < count; ++i)
            lines << check(faceResult(face)).filter(QStringLiteral("parece no encajar"));
        return lines;
    }
    std::optional<DailyTally> savedTally() const {
        return JsonCodec<DailyTally>::decode(dataFile(Storage::tallyFileName).toStdString());
    }
    Calibration calibration;
};

TEST(CheckCycle, failedLookOrOneThatAnalysedNoFrameChangesNothingButTheState) {
    LookResult nothingAnalysed = nobodyResult();
    nothingAnalysed.analysed = 0;
    for (const auto& [result, line] :
         {std::pair{failedResult(), "Mirada (reloj): la cámara no se ha abierto"},
          {nothingAnalysed, "Mirada (reloj): la cámara no ha dado ninguna imagen"}}) {
        Checking h;
        h.clock().advance(180);
        h.camera().present = false; // the camera went away during the look
        h.finishLook(result);
        EXPECT_EQ(h.newLogLines(), QStringList{QString::fromUtf8(line)});
        EXPECT_FALSE(h.monitor().lastCheck().has_value());
        EXPECT_FALSE(h.monitor().lastVerdict().has_value());
        EXPECT_TRUE(h.monitor().tally().days.empty());
        EXPECT_TRUE(h.dataFile(Storage::tallyFileName).isEmpty()) << "nothing saved";
        EXPECT_EQ(h.monitor().state().kind(), Monitor::State::Kind::noCamera);
        EXPECT_FALSE(h.monitor().isLooking());
    }
}

TEST(CheckCycle, busyCameraCountsNothingAndIsAskedAgainAtTheNextTick) {
    Checking h;
    h.clock().advance(180);
    LookResult busy = failedResult();
    busy.cameraBusy = true;
    h.finishLook(busy);
    EXPECT_EQ(h.newLogLines(),
              QStringList{QStringLiteral("Mirada (reloj): otra aplicación está usando la cámara")});
    EXPECT_TRUE(h.monitor().tally().days.empty());
    h.clock().advance(180);
    EXPECT_EQ(h.camera().looksTaken, 2);
}

TEST(CheckCycle, logLineHasItsPiecesInOrder) {
    Checking h;
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
    EXPECT_EQ(h.monitor().lastVerdict()->kind(), PostureVerdict::Kind::slouching)
        << "a shared camera does not change the verdict";

    EXPECT_EQ(
        h.check(nobodyResult(), Trigger::clock),
        QStringList{QStringLiteral("Mirada (reloj) · Mesa · No te veo · 0/6 con cara · 640x480")});
    EXPECT_FALSE(h.monitor().lastCheckShared());
    EXPECT_EQ(h.monitor().lastCheck(), h.clock().now());
}

TEST(CheckCycle, warningsFollowThePolicyWithTheirStreakLines) {
    Checking h; // cool-down 600 s; the policy's own rules are tested in the core
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
}

TEST(CheckCycle, warningsRespectTheWatchSettings) {
    Checking h;
    SettingsStore::setWatchCloseness(false);
    SettingsStore::setWatchSlouch(false);
    h.check(faceResult(closeFace()));
    h.check(faceResult(slouchedFace()));
    EXPECT_TRUE(h.notified.empty());
    EXPECT_EQ(h.monitor().lastVerdict(), PostureVerdict::fine());
}

TEST(CheckCycle, everyJudgedLookSavesTheCountersFile) {
    Checking h;
    h.check(nobodyResult());
    ASSERT_TRUE(h.savedTally().has_value()) << "saved even though nothing was counted";
    EXPECT_TRUE(h.savedTally()->days.empty());
    h.check(faceResult(fineFace()));
    h.check(faceResult(closeFace()));
    const std::optional<DailyTally> saved = h.savedTally();
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, h.monitor().tally());
    EXPECT_EQ(saved->days.at(0).date, "2026-03-02");
    EXPECT_EQ(saved->days.at(0).checks, 2);
    EXPECT_EQ(saved->days.at(0).tooClose, 1);
}

TEST(CheckCycle, aClockSetBackNeitherSilencesWarningsNorBreaksTheDays) {
    Checking h;
    h.check(faceResult(closeFace()));
    // Two days back: the last warning now lies in the future and counts as given now.
    h.clock().set(addSeconds(h.clock().now(), -2 * 86400));
    EXPECT_TRUE(h.check(faceResult(closeFace())).filter(QStringLiteral("Aviso")).isEmpty());
    h.clock().advance(600);
    EXPECT_EQ(h.check(faceResult(closeFace())).last(),
              QStringLiteral("Aviso enviado (2º seguido; el siguiente, como pronto en 20 min)"));
    const DailyTally& tally = h.monitor().tally();
    ASSERT_EQ(tally.days.size(), 2u);
    EXPECT_EQ(tally.days[0].date, "2026-02-28");
    EXPECT_EQ(tally.days[1].date, "2026-03-02");
}

TEST(CheckCycle, referenceHintIsLoggedOncePerChange) {
    Checking h;
    EXPECT_EQ(h.hints(slouchedFace(), ReferenceCheck::defaultWindow + 5),
              QStringList{QStringLiteral(
                  "La posición «Mesa» parece no encajar: casi todo sale encorvado")});
    EXPECT_EQ(h.monitor().referenceSuspect(), ReferenceCheck::Problem::slouching);
    const QStringList close{
        QStringLiteral("La posición «Mesa» parece no encajar: casi todo sale demasiado cerca")};
    EXPECT_EQ(h.hints(closeFace()), close);
    EXPECT_EQ(h.monitor().referenceSuspect(), ReferenceCheck::Problem::tooClose);
    // Gone with enough fine looks, and back again later: logged again.
    EXPECT_TRUE(h.hints(fineFace()).isEmpty());
    EXPECT_FALSE(h.monitor().referenceSuspect().has_value());
    EXPECT_EQ(h.hints(closeFace()), close);
}

TEST(CheckCycle, dismissedHintStaysAwayForADayThenComesBack) {
    Checking h;
    ASSERT_EQ(h.hints(slouchedFace()).size(), 1);
    h.monitor().dismissReferenceSuspect();
    EXPECT_EQ(h.newLogLines(),
              QStringList{QStringLiteral("Aviso de posición descartado hasta mañana")});
    EXPECT_FALSE(h.monitor().referenceSuspect().has_value());
    h.clock().advance(86399);
    EXPECT_TRUE(h.hints(slouchedFace(), 5).isEmpty());
    EXPECT_FALSE(h.monitor().referenceSuspect().has_value());
    h.clock().advance(1);
    EXPECT_EQ(h.hints(slouchedFace(), 1).size(), 1);
    EXPECT_EQ(h.monitor().referenceSuspect(), ReferenceCheck::Problem::slouching);
}

TEST(CheckCycle, aLookIsJudgedAgainstThePositionItStartedWith) {
    Checking h;
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
