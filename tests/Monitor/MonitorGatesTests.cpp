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

// Ticks once (180 s) and answers a look if one was taken; true when one was.
bool tickAndAnswer(MonitorHarness& h, const LookResult& result) {
    const int before = h.camera().looksTaken;
    h.clock().advance(180);
    if (h.camera().looksTaken == before)
        return false;
    h.finishLook(result);
    return true;
}

TEST(MonitorClock, ticksOnTheIntervalAndNeverStartsASecondLookMeanwhile) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
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

TEST(MonitorClock, settingsAndWakingRestartThePeriodWhichATimerMustHold) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
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
    h.clock().advance(60);
    EXPECT_EQ(h.camera().looksTaken, 2);

    // A period longer than a timer keeps is cut, and the start line shows the one in use.
    MonitorHarness later;
    SettingsStore::setInterval(1e308);
    later.monitor().start();
    EXPECT_EQ(later.clockInterval(), RepeatingTimer::longestInterval);
    EXPECT_TRUE(
        later.newLogLines().contains(QStringLiteral("Vigilando: sin calibrar · cada 2147483 s")));
}

// Which triggers get through each closed gate.
TEST(MonitorGates, eachTriggerPassesOnlyItsGates) {
    // Each gate, and the looks it lets through: the clock's (c), the head tracker's (h) and
    // those asked for by hand (m).
    const std::pair<std::string, std::string> gates[] = {
        {"open", "chm"},        {"paused", "m"},           {"no camera", "m"},
        {"no permission", "m"}, {"screen locked", "m"},    {"display asleep", "hm"},
        {"idle", "hm"},         {"companion nudge", "hm"}, {"no position", ""}};
    for (const auto& [gate, passing] : gates) {
        for (Trigger trigger : {Trigger::clock, Trigger::airPods, Trigger::manual}) {
            MonitorHarness h;
            h.startWatching(position("Mesa"));
            if (gate == "paused")
                h.monitor().setPause(addSeconds(h.clock().now(), 3600));
            if (gate == "no position")
                h.monitor().remove(h.monitor().book().calibrations.front().id);
            if (gate == "idle")
                h.presence().idleSeconds = AbsenceGate::idleSecondsForAbsence;
            h.camera().present = gate != "no camera";
            h.camera().denied = gate == "no permission";
            h.screen().locked = gate == "screen locked";
            h.presence().displayAsleep = gate == "display asleep";
            h.presence().companionNudged = gate == "companion nudge";
            h.monitor().look(trigger);
            const char letter = trigger == Trigger::clock     ? 'c'
                                : trigger == Trigger::airPods ? 'h'
                                                              : 'm';
            EXPECT_EQ(h.camera().looksTaken == 1, passing.find(letter) != std::string::npos)
                << gate << " / " << Monitor::triggerWord(trigger).toStdString();
        }
    }
}

TEST(MonitorPresence, absenceAndReturnAreLoggedOnceEachAndOnlyTheClockNoticesThem) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    h.presence().displayAsleep = true;
    h.clock().advance(3 * 180);
    EXPECT_EQ(h.newLogLines(),
              QStringList{QStringLiteral("Nadie delante (sin teclado ni ratón 3 min, o pantalla en "
                                         "reposo): dejo de mirar")});
    EXPECT_EQ(h.camera().looksTaken, 0);
    // A manual look does not end the absence: the clock's next tick does.
    h.check(faceResult(fineFace()));
    h.presence().displayAsleep = false;
    h.clock().advance(180);
    EXPECT_EQ(h.newLogLines(),
              QStringList{QStringLiteral("Vuelve a haber actividad: miro otra vez")});
    EXPECT_EQ(h.camera().looksTaken, 2) << "the tick that sees the user back looks at once";
}

TEST(MonitorBackOff, emptyClockLooksSlowTheClockButLooksThatAnalysedNoFrameDoNot) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
    for (int i = 1; i < EmptyLookBackOff::emptyLooksBeforeBackOff; ++i)
        ASSERT_TRUE(tickAndAnswer(h, nobodyResult()));
    // Under heavy load a look may end before analysing any frame: it failed, nobody is gone.
    LookResult nothingAnalysed = nobodyResult();
    nothingAnalysed.analysed = 0;
    ASSERT_TRUE(tickAndAnswer(h, nothingAnalysed));
    h.newLogLines();
    ASSERT_TRUE(tickAndAnswer(h, nobodyResult()));
    EXPECT_TRUE(h.newLogLines().contains(
        QStringLiteral("Tres miradas sin nadie: miro una vez de cada cinco hasta verte")));
    for (int skipped = 0; skipped < EmptyLookBackOff::ticksSkippedInBackOff; ++skipped)
        EXPECT_FALSE(tickAndAnswer(h, nobodyResult())) << skipped;
    EXPECT_TRUE(tickAndAnswer(h, faceResult(fineFace())));
    EXPECT_TRUE(h.newLogLines().contains(QStringLiteral("Te vuelvo a ver: miro al ritmo normal")));
    EXPECT_TRUE(tickAndAnswer(h, faceResult(fineFace()))) << "normal rhythm again";
}

TEST(MonitorPause, pausesResumesAndEndsByItself) {
    MonitorHarness h;
    h.startWatching(position("Mesa"));
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
    h.finishLook(faceResult(fineFace()));

    m.setPause(addSeconds(h.clock().now(), 60));
    m.setPause(std::nullopt);
    EXPECT_EQ(m.state().kind(), Kind::watching);
    EXPECT_FALSE(SettingsStore::pausedUntil().has_value());
    EXPECT_EQ(h.newLogLines().last(), QStringLiteral("Reanudado"));

    // 23:30 UTC is 00:30 of the next day one hour east: the pause ends 23:30 later.
    MonitorHarness east(*parseIso8601("2026-03-02T23:30:00Z"), 3600);
    east.startWatching(position("Mesa"));
    east.monitor().pauseUntilTomorrow();
    EXPECT_EQ(east.monitor().state(),
              Monitor::State::paused(*parseIso8601("2026-03-03T23:00:00Z")));
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

TEST(MonitorAirPods, heldForwardTiltLooksEarlyUnlessPausedOrWithoutReference) {
    // A position recorded without a pitch and no good pitch yet; a pitch but a pause; a pitch.
    for (int run = 0; run < 3; ++run) {
        MonitorHarness h;
        h.startWatching(position("Mesa", run == 0 ? std::nullopt : std::optional(0.10)));
        if (run == 1)
            h.monitor().setPause(addSeconds(h.clock().now(), 3600));
        // 0.40 rad below the reference, held long enough.
        for (int second = 0; second <= TiltTrigger::defaultHoldFor; ++second) {
            h.motion().send(0.10 - 0.40);
            h.clock().advance(1);
        }
        ASSERT_EQ(h.camera().looksTaken, run == 2 ? 1 : 0) << run;
        if (run < 2)
            continue;
        EXPECT_TRUE(h.newLogLines().contains(
            QStringLiteral("Seguidor de cabeza: cabeza inclinada 22°, miro")));
        h.finishLook(faceResult(fineFace()));
        EXPECT_TRUE(
            h.newLogLines().first().startsWith(QStringLiteral("Mirada (seguidor de cabeza) · ")));
    }
}

TEST(MonitorGoodPitch, setOnlyByFineLooksThatStartedWithAPitch) {
    MonitorHarness h;
    h.startWatching(position("Mesa", 0.2));
    EXPECT_EQ(h.goodPitch(), 0.2) << "a new position brings its own pitch";
    h.motion().currentPitch = 0.05;
    h.monitor().look(Trigger::manual);
    h.motion().stop(); // disconnected before the result came
    h.finishLook(faceResult(fineFace()));
    EXPECT_EQ(h.goodPitch(), 0.05);

    h.motion().currentPitch = -0.3;
    h.check(faceResult(slouchedFace()));
    EXPECT_EQ(h.goodPitch(), 0.05) << "a bad look leaves it";
    h.motion().currentPitch.reset();
    h.check(faceResult(fineFace()));
    EXPECT_EQ(h.goodPitch(), 0.05) << "no pitch, nothing to remember";
}

} // namespace
} // namespace tisko::test
