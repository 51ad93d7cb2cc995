// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What starts a look and what comes of it, and the positions saved, chosen, renamed and
// removed. The rules themselves are the core's; these prove the Monitor follows them.
#include "MonitorHarness.h"

#include "Tisko/Support/SettingsStore.h"
#include "Tisko/Support/Storage.h"
#include "TiskoCore/JsonCodec.h"

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

// Ticks once (180 s) and answers a look if one was taken; true when one was.
bool tickAndAnswer(MonitorHarness& h, const LookResult& result) {
    h.clock().advance(180);
    if (!h.camera().pending)
        return false;
    h.finishLook(result);
    return true;
}

TEST(MonitorClock, aTickOrAManualLookDuringALookIsLost) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    h.clock().advance(360);
    h.monitor().look(Monitor::Trigger::manual);
    ASSERT_EQ(h.camera().looksTaken, 1);
    LookResult failed;
    failed.failed = true;
    h.finishLook(failed);
    EXPECT_EQ(h.newLogLines(),
              QStringList{QStringLiteral("Mirada (reloj): la cámara no se ha abierto")});
}

TEST(MonitorClock, wakingRestartsThePeriodAndANewIntervalTakesEffect) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    h.clock().advance(100);
    Q_EMIT h.events().woke();
    h.clock().advance(179);
    EXPECT_EQ(h.camera().looksTaken, 0) << "the period starts again at the wake";
    h.clock().advance(1);
    h.finishLook(nobodyResult()); // would throw if the tick had not looked
    SettingsStore::setInterval(60);
    h.monitor().applySettings();
    h.clock().advance(60);
    EXPECT_EQ(h.camera().looksTaken, 2);
}

TEST(MonitorClock, aLockedScreenLetsOnlyALookByHandThrough) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    h.screen().locked = true;
    h.clock().advance(180);
    EXPECT_EQ(h.camera().looksTaken, 0);
    h.check(nobodyResult()); // would throw if refused
    EXPECT_EQ(h.camera().looksTaken, 1);
}

TEST(MonitorClock, aPauseLetsOnlyLooksByHandThroughAndTheFirstTickAfterItLooks) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    Monitor& m = h.monitor();
    const Date until = addSeconds(h.clock().now(), 3600);
    m.setPause(until);
    EXPECT_EQ(m.state(), Monitor::State::paused(until));
    EXPECT_EQ(h.newLogLines().last(), QStringLiteral("En pausa hasta 2026-03-02 11:00:00 +0000"));
    h.clock().advance(3599);
    EXPECT_EQ(h.camera().looksTaken, 0);
    h.check(faceResult(fineFace())); // would throw if refused
    h.clock().advance(1);
    EXPECT_EQ(h.camera().looksTaken, 2);
    m.pauseUntilTomorrow();
    EXPECT_EQ(m.state(), Monitor::State::paused(*parseIso8601("2026-03-03T00:00:00Z")));
}

TEST(HeadTracking, theTrackerRunsOnlyWhileSwitchedOnAndAllowed) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    EXPECT_TRUE(h.motion().running);
    h.motion().onConnection(true);
    EXPECT_TRUE(h.monitor().airPodsConnected());
    SettingsStore::setUseAirPods(false);
    h.monitor().applySettings();
    EXPECT_FALSE(h.motion().running);
    EXPECT_FALSE(h.monitor().airPodsConnected());
    SettingsStore::setUseAirPods(true);
    h.motion().denied = true;
    h.monitor().updateAirPods();
    EXPECT_FALSE(h.motion().running);
}

// A held tilt 0.40 rad below the reference looks, with nobody at the keyboard (only the clock
// waits for somebody); not in a pause, nor without a pitch to compare with.
TEST(HeadTracking, aHeldTiltLooksOutsideAPauseAndAFineLookKeepsItsPitch) {
    MonitorHarness h;
    h.startWatching(position("Mesa", 0.10));
    Monitor& m = h.monitor();
    const auto holdTilt = [&h] {
        for (int second = 0; second <= TiltTrigger::defaultHoldFor; ++second) {
            h.motion().send(-0.30);
            h.clock().advance(1);
        }
        return h.camera().looksTaken;
    };
    h.presence().displayAsleep = true;
    m.setPause(addSeconds(h.clock().now(), 3600));
    EXPECT_EQ(holdTilt(), 0);
    m.setPause(std::nullopt);
    m.saveCalibration(position("Mesa"));
    EXPECT_EQ(holdTilt(), 0);
    m.saveCalibration(position("Mesa", 0.10));
    ASSERT_EQ(holdTilt(), 1);
    EXPECT_TRUE(
        h.newLogLines().contains(QStringLiteral("Seguidor de cabeza: cabeza inclinada 22°, miro")));
    h.motion().stop(); // disconnected before the result came
    h.finishLook(faceResult(fineFace()));
    EXPECT_EQ(h.goodPitch(), -0.30) << "the pitch the fine look started with";
    h.motion().currentPitch = -0.5;
    h.check(faceResult(slouchedFace()));
    EXPECT_EQ(h.goodPitch(), -0.30) << "a bad look leaves it";
}

TEST(CheckCycle, aWarningTheDesktopDidNotShowIsCountedButNotLoggedAsSent) {
    MonitorHarness h;
    h.delivers = false;
    h.startWatching(position("Mesa"));
    EXPECT_EQ(h.check(faceResult(closeFace())).filter(QStringLiteral("Aviso enviado")),
              QStringList());
    EXPECT_EQ(h.notified.size(), 1u);
    EXPECT_EQ(h.monitor().tally().day(h.monitor().now(), h.monitor().calendar()).alerts(), 1);
}

TEST(CheckCycle, aLookIsLoggedAndWarningsInARowWaitLongerUntilAGoodLookEndsTheStreak) {
    MonitorHarness h; // cool-down 600 s
    h.startWatching(position("Mesa"));
    EXPECT_TRUE(h.check(faceResult(slouchedFace()))[0].startsWith(
        QStringLiteral("Mirada (a mano) · Mesa · Encorvado · cerca 1.000 · baja 0.600")));
    h.clock().advance(600);
    EXPECT_EQ(h.check(faceResult(closeFace())).last(),
              QStringLiteral("Aviso enviado (2º seguido; el siguiente, como pronto en 20 min)"));
    ASSERT_EQ(h.notified.size(), 2u);
    h.check(faceResult(fineFace()));
    EXPECT_EQ(h.monitor().lastVerdict(), PostureVerdict::fine());
    h.clock().advance(1200);
    EXPECT_EQ(h.check(faceResult(closeFace())).last(), QStringLiteral("Aviso enviado"));
}

TEST(CheckCycle, whileNobodyIsThereTheClockWaitsAndItsFirstTickAfterLooksAtOnce) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    h.presence().displayAsleep = true;
    h.clock().advance(3 * 180);
    EXPECT_EQ(h.newLogLines().size(), 1);
    EXPECT_FALSE(h.camera().pending);
    // A manual look does not end the absence: the clock's next tick does.
    h.check(faceResult(fineFace()));
    h.presence().displayAsleep = false;
    ASSERT_TRUE(tickAndAnswer(h, nobodyResult()));
    EXPECT_EQ(h.newLogLines().first(), QStringLiteral("Vuelve a haber actividad: miro otra vez"));
}

TEST(CheckCycle, looksThatSeeNobodyBackOffCountNoCheckAndAFaceBringsTheNormalPace) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    h.check(faceResult(closeFace()));
    // Under heavy load a look may end before analysing any frame: it failed, nobody is gone.
    ASSERT_TRUE(tickAndAnswer(h, LookResult()));
    for (int i = 0; i < EmptyLookBackOff::emptyLooksBeforeBackOff; ++i)
        ASSERT_TRUE(tickAndAnswer(h, nobodyResult()));
    EXPECT_TRUE(h.newLogLines().contains(
        QStringLiteral("Tres miradas sin nadie: miro una vez de cada cinco hasta verte")));
    for (int skipped = 0; skipped < EmptyLookBackOff::ticksSkippedInBackOff; ++skipped)
        EXPECT_FALSE(tickAndAnswer(h, nobodyResult())) << skipped;
    ASSERT_TRUE(tickAndAnswer(h, faceResult(fineFace())));
    EXPECT_TRUE(h.newLogLines().contains(QStringLiteral("Te vuelvo a ver: miro al ritmo normal")));
    EXPECT_EQ(h.monitor().tally().days.at(0).checks, 2);
    EXPECT_EQ(h.monitor().tally().days.at(0).alerts(), 1);
    EXPECT_EQ(JsonCodec<DailyTally>::decode(h.dataFile(Storage::tallyFileName).toStdString()),
              h.monitor().tally());
}

std::optional<CalibrationBook> savedBook(const MonitorHarness& h) {
    return JsonCodec<CalibrationBook>::decode(h.dataFile(Storage::positionsFileName).toStdString());
}

// Three saved positions, two for displays B; the harness starts on displays A.
struct ThreePositions {
    explicit ThreePositions(MonitorHarness& h)
        : newest(position("Casa", 0.3, "displays:B", addSeconds(h.clock().now(), 60))) {
        EXPECT_TRUE(Storage::save(CalibrationBook{{office, old, newest}, newest.id},
                                  Storage::positionsFileName));
        h.displayKey = QStringLiteral("displays:A");
        h.monitor().start();
    }
    const Calibration office = position("Oficina", 0.1, "displays:A");
    const Calibration old = position("Casa vieja", 0.2, "displays:B");
    const Calibration newest;
};

TEST(Positions, theDisplaysChooseTheirNewestPositionUnlessTheUserChoseAnother) {
    MonitorHarness h;
    const ThreePositions saved(h);
    EXPECT_TRUE(h.newLogLines().contains(QStringLiteral("Vigilando: Oficina · cada 180 s")));
    h.displayKey = QStringLiteral("displays:B");
    Q_EMIT h.events().displaysChanged();
    EXPECT_EQ(h.newLogLines(), QStringList{QStringLiteral("Pantallas cambiadas: paso a «Casa»")});
    h.monitor().select(saved.old.id);
    Q_EMIT h.events().displaysChanged();
    EXPECT_EQ(h.monitor().book().active()->name, "Casa vieja");
    EXPECT_EQ(savedBook(h).value().activeID, saved.old.id);
}

TEST(Positions, theSameNameAgainReplacesThePositionAndForgetsItsVerdictAndWarnings) {
    MonitorHarness h;
    h.startWatching(position("Casa vieja"));
    ASSERT_EQ(h.check(faceResult(closeFace())).last(), QStringLiteral("Aviso enviado"));
    Calibration again = position("CASA VIEJÁ");
    again.reference.eyeDistance.reset();
    h.monitor().saveCalibration(again);
    EXPECT_FALSE(h.monitor().lastVerdict().has_value()) << "the verdict judged by the old one goes";
    EXPECT_EQ(h.newLogLines().last(),
              QStringLiteral("Posición guardada: CASA VIEJÁ · cara 0.300 · ojos 0.000"));
    EXPECT_EQ(h.check(faceResult(closeFace())).last(), QStringLiteral("Aviso enviado"));
    EXPECT_EQ(h.monitor().book().calibrations.size(), 1u);
}

TEST(Positions, theHintAboutAPositionIsLoggedOnceDismissedForADayAndGoesWithIt) {
    MonitorHarness h;
    const ThreePositions saved(h);
    Monitor& m = h.monitor();
    m.select(saved.old.id);
    const auto hints = [&h] {
        return h.check(faceResult(slouchedFace())).filter(QStringLiteral("no encajar"));
    };
    QStringList logged;
    for (int i = 0; i < ReferenceCheck::defaultWindow + 5; ++i)
        logged << hints();
    EXPECT_EQ(logged, QStringList{QStringLiteral(
                          "La posición «Casa vieja» parece no encajar: casi todo sale encorvado")});
    m.dismissReferenceSuspect();
    EXPECT_FALSE(m.referenceSuspect().has_value());
    h.clock().advance(86399);
    EXPECT_TRUE(hints().isEmpty());
    h.clock().advance(1);
    EXPECT_EQ(hints(), logged);
    m.remove(saved.newest.id);
    EXPECT_TRUE(m.referenceSuspect().has_value()) << "another position went, not the judged one";
    m.select(saved.office.id);
    EXPECT_FALSE(m.referenceSuspect().has_value()) << "the hint was about the other one";
    EXPECT_EQ(h.goodPitch(), 0.1);
    EXPECT_EQ(h.newLogLines().last(), QStringLiteral("Posición en uso: Oficina"));
}

TEST(Positions, namesAreTrimmedABlankOneIsRefusedAndRenamesAndRemovalsAreSaved) {
    MonitorHarness h;
    const ThreePositions saved(h);
    Monitor& m = h.monitor();
    m.rename(saved.office.id, QStringLiteral("  \tSala \n"));
    m.rename(saved.office.id, QStringLiteral(" \n\t "));
    EXPECT_EQ(m.book().calibrations[0].name, "Sala");
    EXPECT_EQ(savedBook(h), m.book());
    m.remove(saved.office.id);
    EXPECT_EQ(savedBook(h), m.book());
}

} // namespace
} // namespace tisko::test
