// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The clock, the gates in front of a look, presence, back-off, pause and the head tracker.
#include "MonitorHarness.h"

#include "Tisko/Support/SettingsStore.h"

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

using Trigger = Monitor::Trigger;
using Kind = Monitor::State::Kind;

// A started Monitor with one active position "Mesa".
struct Watching : MonitorHarness {
    explicit Watching(std::optional<double> headPitch = std::nullopt) {
        monitor().start();
        monitor().saveCalibration(position("Mesa", headPitch));
        newLogLines();
    }
    // Ticks once (180 s) and answers a look if one was taken; true when one was.
    bool tickAndAnswer(const LookResult& result) {
        const int before = camera().looksTaken;
        clock().advance(180);
        if (camera().looksTaken == before)
            return false;
        clock().advance(2);
        finishLook(result);
        return true;
    }
};

TEST(MonitorClock, ticksOnTheIntervalAndNeverStartsASecondLookMeanwhile) {
    Watching h;
    h.clock().advance(179);
    EXPECT_EQ(h.camera().looksTaken, 0);
    h.clock().advance(1);
    ASSERT_EQ(h.camera().looksTaken, 1);
    EXPECT_EQ(h.camera().pending.front().cameraID, QStringLiteral("file:/camera/Mesa"));
    EXPECT_TRUE(h.monitor().isLooking());

    // A tick or a manual look during the look is lost.
    h.clock().advance(180);
    h.monitor().look(Trigger::manual);
    EXPECT_EQ(h.camera().looksTaken, 1);
    h.finishLook(faceResult(fineFace()));
    EXPECT_FALSE(h.monitor().isLooking());
    h.clock().advance(180);
    EXPECT_EQ(h.camera().looksTaken, 2);
}

TEST(MonitorClock, intervalSettingFollowsItsRuleAndTheStartLineShowsIt) {
    struct Case {
        double stored;
        double period;
        const char* line;
    };
    // The reading rule itself is the settings store's; here, that the clock and the line use it.
    // A period longer than a timer keeps is cut, and the line shows the period in use.
    for (const Case& c : {Case{29, 180, "Vigilando: sin calibrar · cada 180 s"},
                          Case{90.7, 90.7, "Vigilando: sin calibrar · cada 90 s"},
                          Case{1e308, RepeatingTimer::longestInterval,
                               "Vigilando: sin calibrar · cada 2147483 s"}}) {
        MonitorHarness h;
        SettingsStore::setInterval(c.stored);
        h.monitor().start();
        EXPECT_DOUBLE_EQ(h.clock().nextInterval(), c.period) << c.stored;
        EXPECT_TRUE(h.newLogLines().contains(QString::fromUtf8(c.line))) << c.stored;
    }
}

TEST(MonitorClock, settingsAndWakingRestartThePeriod) {
    Watching h;
    h.clock().advance(100);
    Q_EMIT h.events().woke();
    h.clock().advance(179);
    EXPECT_EQ(h.camera().looksTaken, 0) << "the period starts again at the wake";
    h.clock().advance(1);
    EXPECT_EQ(h.camera().looksTaken, 1);
    h.finishLook(faceResult(fineFace()));

    SettingsStore::setInterval(60);
    h.clock().advance(100); // the old period still holds until applied
    EXPECT_EQ(h.camera().looksTaken, 1);
    h.monitor().applySettings();
    EXPECT_EQ(h.clock().runningTimers(), 1);
    h.clock().advance(60);
    EXPECT_EQ(h.camera().looksTaken, 2);
}

// Which triggers get through each closed gate.
TEST(MonitorGates, eachTriggerPassesOnlyItsGates) {
    struct Case {
        const char* gate;
        std::function<void(Watching&)> close;
        bool clock, airPods, manual;
    };
    const std::vector<Case> cases = {
        {"open", [](Watching&) {}, true, true, true},
        {"paused", [](Watching& h) { h.monitor().setPause(addSeconds(h.clock().now(), 3600)); },
         false, false, true},
        {"no camera", [](Watching& h) { h.camera().present = false; }, false, false, true},
        {"no permission", [](Watching& h) { h.camera().denied = true; }, false, false, true},
        {"screen locked", [](Watching& h) { h.screen().locked = true; }, false, false, true},
        {"display asleep", [](Watching& h) { h.presence().displayAsleep = true; }, false, true,
         true},
        {"idle", [](Watching& h) { h.presence().idleSeconds = AbsenceGate::idleSecondsForAbsence; },
         false, true, true},
        {"companion nudge", [](Watching& h) { h.presence().companionNudged = true; }, false, true,
         true},
        {"no position",
         [](Watching& h) { h.monitor().remove(h.monitor().book().calibrations.front().id); }, false,
         false, false},
    };
    for (const Case& c : cases) {
        for (Trigger trigger : {Trigger::clock, Trigger::airPods, Trigger::manual}) {
            Watching h;
            c.close(h);
            h.monitor().look(trigger);
            const bool expected = trigger == Trigger::clock     ? c.clock
                                  : trigger == Trigger::airPods ? c.airPods
                                                                : c.manual;
            EXPECT_EQ(h.camera().looksTaken == 1, expected)
                << c.gate << " / " << Monitor::triggerWord(trigger).toStdString();
        }
    }
}

TEST(MonitorPresence, absenceAndReturnAreLoggedOnceEach) {
    Watching h;
    h.presence().displayAsleep = true;
    h.clock().advance(3 * 180);
    EXPECT_EQ(h.newLogLines(),
              QStringList{QStringLiteral("Nadie delante (sin teclado ni ratón 3 min, o pantalla en "
                                         "reposo): dejo de mirar")});
    EXPECT_TRUE(h.absence().skipping());
    EXPECT_EQ(h.camera().looksTaken, 0);

    // A manual or AirPods look does not end the absence.
    h.monitor().look(Trigger::manual);
    h.finishLook(faceResult(fineFace()));
    EXPECT_TRUE(h.absence().skipping());
    h.newLogLines();

    h.presence().displayAsleep = false;
    h.clock().advance(180);
    EXPECT_EQ(h.newLogLines(),
              QStringList{QStringLiteral("Vuelve a haber actividad: miro otra vez")});
    EXPECT_EQ(h.camera().looksTaken, 2) << "the tick that sees the user back looks at once";
    h.finishLook(faceResult(fineFace()));
    h.clock().advance(180);
    EXPECT_EQ(h.camera().looksTaken, 3);
}

TEST(MonitorBackOff, emptyClockLooksSlowTheClockButLooksThatAnalysedNoFrameDoNot) {
    Watching h;
    for (int i = 1; i < EmptyLookBackOff::emptyLooksBeforeBackOff; ++i)
        ASSERT_TRUE(h.tickAndAnswer(nobodyResult()));
    // Under heavy load a look may end before analysing any frame: it failed, nobody is gone.
    LookResult nothingAnalysed = nobodyResult();
    nothingAnalysed.analysed = 0;
    ASSERT_TRUE(h.tickAndAnswer(nothingAnalysed));
    EXPECT_EQ(h.newLogLines().last(),
              QStringLiteral("Mirada (reloj): la cámara no ha dado ninguna imagen"));
    EXPECT_FALSE(h.backOff().active());
    ASSERT_TRUE(h.tickAndAnswer(nobodyResult()));
    EXPECT_TRUE(h.newLogLines().contains(
        QStringLiteral("Tres miradas sin nadie: miro una vez de cada cinco hasta verte")));
    for (int skipped = 0; skipped < EmptyLookBackOff::ticksSkippedInBackOff; ++skipped)
        EXPECT_FALSE(h.tickAndAnswer(nobodyResult())) << skipped;
    EXPECT_TRUE(h.tickAndAnswer(faceResult(fineFace())));
    EXPECT_TRUE(h.newLogLines().contains(QStringLiteral("Te vuelvo a ver: miro al ritmo normal")));
    EXPECT_TRUE(h.tickAndAnswer(faceResult(fineFace()))) << "normal rhythm again";
}

TEST(MonitorPause, pausesResumesAndEndsByItself) {
    Watching h;
    Monitor& m = h.monitor();
    const Date until = addSeconds(h.clock().now(), 3600);
    m.setPause(until);
    EXPECT_EQ(m.state(), Monitor::State::paused(until));
    EXPECT_EQ(h.newLogLines(),
              QStringList{QStringLiteral("En pausa hasta 2026-03-02 11:00:00 +0000")});
    EXPECT_EQ(SettingsStore::pausedUntil(), until);

    h.clock().advance(3 * 180);
    EXPECT_EQ(h.camera().looksTaken, 0);
    // The first tick after the end both leaves the pause and looks.
    h.clock().advance(3600 - 3 * 180 + 180);
    EXPECT_EQ(m.state().kind(), Kind::watching);
    EXPECT_EQ(h.camera().looksTaken, 1);
    EXPECT_EQ(SettingsStore::pausedUntil(), until) << "an ended pause is not cleared";
    h.finishLook(faceResult(fineFace()));

    m.setPause(addSeconds(h.clock().now(), 60));
    m.setPause(std::nullopt);
    EXPECT_EQ(m.state().kind(), Kind::watching);
    EXPECT_FALSE(SettingsStore::pausedUntil().has_value());
    EXPECT_EQ(h.newLogLines().last(), QStringLiteral("Reanudado"));
}

TEST(MonitorPause, pauseUntilTomorrowEndsAtLocalMidnight) {
    // 23:30 UTC is 00:30 of the next day one hour east: the pause ends 23:30 later.
    MonitorHarness h(*parseIso8601("2026-03-02T23:30:00Z"), 3600);
    h.monitor().start();
    h.monitor().saveCalibration(position("Mesa"));
    h.monitor().pauseUntilTomorrow();
    EXPECT_EQ(h.monitor().state(), Monitor::State::paused(*parseIso8601("2026-03-03T23:00:00Z")));
}

TEST(MonitorState, refreshFollowsItsOrderAndEqualStatesNotifyNobody) {
    MonitorHarness h;
    Monitor& m = h.monitor();
    int changes = 0;
    QObject::connect(&m, &Monitor::stateChanged, [&] { ++changes; });
    h.camera().present = false;
    h.camera().denied = true;
    m.start();
    EXPECT_EQ(m.state().kind(), Kind::noCameraPermission);
    EXPECT_EQ(changes, 1);
    m.refreshState();
    EXPECT_EQ(changes, 1);
    h.camera().denied = false;
    m.refreshState();
    EXPECT_EQ(m.state().kind(), Kind::noCamera);
    h.camera().present = true;
    m.refreshState();
    EXPECT_EQ(m.state().kind(), Kind::needsCalibration);
    // A pause hides everything else, and one in the past hides nothing.
    SettingsStore::setPausedUntil(addSeconds(h.clock().now(), -1));
    m.saveCalibration(position("Mesa"));
    EXPECT_EQ(m.state().kind(), Kind::watching);
    h.camera().denied = true;
    m.setPause(addSeconds(h.clock().now(), 10));
    EXPECT_EQ(m.state().kind(), Kind::paused);
}

TEST(MonitorAirPods, trackerFollowsTheSettingAndItsPermission) {
    MonitorHarness h;
    h.monitor().start();
    EXPECT_TRUE(h.motion().running);
    h.motion().onConnection(true);
    EXPECT_TRUE(h.monitor().airPodsConnected());
    h.motion().onConnection(false);
    h.motion().onConnection(true);
    SettingsStore::setUseAirPods(false);
    h.monitor().applySettings();
    EXPECT_FALSE(h.motion().running);
    EXPECT_FALSE(h.monitor().airPodsConnected());
    SettingsStore::setUseAirPods(true);
    h.motion().denied = true;
    h.monitor().updateAirPods();
    EXPECT_FALSE(h.motion().running);
    EXPECT_EQ(h.newLogLines().filter(QStringLiteral("Seguidor de cabeza")),
              (QStringList{QStringLiteral("Seguidor de cabeza conectado"),
                           QStringLiteral("Seguidor de cabeza desconectado"),
                           QStringLiteral("Seguidor de cabeza conectado")}));
}

TEST(MonitorAirPods, heldForwardTiltLooksEarly) {
    Watching h(0.10);
    // 0.40 rad below the reference, held long enough.
    for (int second = 0; second <= TiltTrigger::defaultHoldFor; ++second) {
        h.motion().send(0.10 - 0.40);
        h.clock().advance(1);
    }
    ASSERT_EQ(h.camera().looksTaken, 1);
    EXPECT_TRUE(
        h.newLogLines().contains(QStringLiteral("Seguidor de cabeza: cabeza inclinada 22°, miro")));
    // A fine look with the pitch known makes that pitch the reference.
    h.finishLook(faceResult(fineFace()));
    EXPECT_TRUE(
        h.newLogLines().first().startsWith(QStringLiteral("Mirada (seguidor de cabeza) · ")));
    EXPECT_DOUBLE_EQ(*h.goodPitch(), 0.10 - 0.40);
}

TEST(MonitorAirPods, pitchIsIgnoredWhilePausedOrWithoutReference) {
    // A position recorded without a pitch and no good pitch yet; a pitch but a pause.
    for (bool paused : {false, true}) {
        Watching h(paused ? std::optional(0.1) : std::nullopt);
        if (paused)
            h.monitor().setPause(addSeconds(h.clock().now(), 3600));
        for (int second = 0; second <= 10; ++second) {
            h.motion().send(-1.0);
            h.clock().advance(1);
        }
        EXPECT_EQ(h.camera().looksTaken, 0) << paused;
    }
}

TEST(MonitorGoodPitch, setOnlyByFineLooksThatStartedWithAPitch) {
    Watching h(0.2);
    EXPECT_EQ(h.goodPitch(), 0.2) << "a new position brings its own pitch";
    h.motion().currentPitch = 0.05;
    h.monitor().look(Trigger::manual);
    h.motion().stop(); // disconnected before the result came
    h.finishLook(faceResult(fineFace()));
    EXPECT_EQ(h.goodPitch(), 0.05);

    h.motion().currentPitch = -0.3;
    h.monitor().look(Trigger::manual);
    h.finishLook(faceResult(slouchedFace()));
    EXPECT_EQ(h.goodPitch(), 0.05) << "a bad look leaves it";
    h.motion().currentPitch.reset();
    h.monitor().look(Trigger::manual);
    h.finishLook(faceResult(fineFace()));
    EXPECT_EQ(h.goodPitch(), 0.05) << "no pitch, nothing to remember";
}

} // namespace
} // namespace tisko::test
