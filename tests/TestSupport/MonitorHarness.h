// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TempHome.h"

#include "Tisko/Monitor/Clock.h"
#include "Tisko/Monitor/Monitor.h"

#include <QStringList>

namespace tisko::test {

// A clock that moves only when told to, with days in universal time. Its running timer (the
// Monitor keeps one) fires while advance() walks the time forward, hours of ticks at once.
class SimulatedClock final : public Clock {
public:
    explicit SimulatedClock(Date start)
        : m_now(start) {}

    Date now() const override { return m_now; }
    Calendar calendar() const override { return fixedOffsetCalendar(0); }
    Date startOfNextDay(Date date) const override {
        return Date(std::chrono::floor<std::chrono::days>(date) + std::chrono::days(1));
    }
    std::unique_ptr<RepeatingTimer> createTimer() override;

    void advance(double seconds);
    // Sets the time without firing anything (a clock set back or forward by hand).
    void set(Date date) { m_now = date; }

private:
    class Timer;
    friend class Timer;

    Date m_now;
    Timer* m_running = nullptr;
};

// The camera as the Monitor sees it: each look waits until the test finishes it.
struct FakeCamera final : CameraAvailability {
    bool permissionDenied() override { return false; }
    bool hasCamera() override { return true; }

    std::function<void(const LookResult&)> pending; // the look under way
    int looksTaken = 0;
};

struct FakeScreen final : ScreenState {
    bool isLocked() override { return locked; }
    bool locked = false;
};

struct FakePresence final : Presence {
    std::optional<double> secondsSinceLastInput() override { return 5.0; }
    bool mainDisplayAsleep() override { return displayAsleep; }
    bool companionKeepingAwake() override { return false; }
    bool displayAsleep = false;
};

struct FakeMotion final : MotionSource {
    void start() override { running = true; }
    void stop() override {
        running = false;
        currentPitch.reset();
    }
    std::optional<double> pitch() const override { return currentPitch; }
    bool permissionDenied() const override { return denied; }
    void setOnPitch(std::function<void(double)> handler) override { onPitch = std::move(handler); }
    void setOnConnectionChange(std::function<void(bool)> handler) override {
        onConnection = std::move(handler);
    }

    void send(double radians) {
        currentPitch = radians;
        if (onPitch)
            onPitch(radians);
    }

    bool running = false;
    bool denied = false;
    std::optional<double> currentPitch;
    std::function<void(double)> onPitch;
    std::function<void(bool)> onConnection;
};

// A Monitor in a private home, on a simulated clock from defaultStart(), with fakes for probes.
class MonitorHarness {
public:
    MonitorHarness();
    ~MonitorHarness();

    // 2026-03-02 10:00:00 UTC, a Monday.
    static Date defaultStart() { return *parseIso8601("2026-03-02T10:00:00Z"); }

    Monitor& monitor() { return *m_monitor; }
    SimulatedClock& clock() { return *m_clock; }
    FakeCamera& camera() { return *m_camera; }
    FakeScreen& screen() { return *m_screen; }
    FakePresence& presence() { return *m_presence; }
    FakeMotion& motion() { return *m_motion; }
    SessionEvents& events() { return *m_events; }

    std::optional<double> goodPitch() const { return m_monitor->m_goodPitch; }
    // The clock's period in seconds, cut to what a timer keeps; 0 before the start.
    double clockInterval() const { return m_monitor->m_clockInterval; }

    QString displayKey = QStringLiteral("displays:"); // what the display probe reports
    std::vector<PostureVerdict> notified;             // the verdicts handed to the notifier
    bool delivers = true;                             // whether the desktop shows them

    // Starts the Monitor with `calibration` as its one position, and drops the lines logged.
    void startWatching(const Calibration& calibration);
    void finishLook(const LookResult& result);
    // Asks for a look by hand and answers it with `result`; the lines logged meanwhile.
    QStringList check(const LookResult& result);

    // The messages logged since the last call, without stamp and level.
    QStringList newLogLines();
    QByteArray dataFile(const QString& name) const;

private:
    TempHome m_home; // on /dev/shm where there is one: the fsync after every look is free there

    SimulatedClock* m_clock = nullptr;
    FakeCamera* m_camera = nullptr;
    FakeScreen* m_screen = nullptr;
    FakePresence* m_presence = nullptr;
    FakeMotion* m_motion = nullptr;
    SessionEvents* m_events = nullptr;
    std::unique_ptr<Monitor> m_monitor;
    qsizetype m_logLinesSeen = 0;
};

// A position named `name` whose reference face is fineFace().
Calibration position(const std::string& name, std::optional<double> headPitch = std::nullopt,
                     std::optional<std::string> displayKey = std::nullopt,
                     Date createdAt = MonitorHarness::defaultStart());

// A look result: a face measured as `measurement` in all six frames, or nobody.
LookResult faceResult(const HeadMeasurement& measurement);
LookResult nobodyResult();
// Measurements that judge fine, too close and slouching against position().
inline constexpr auto fineFace = [] { return HeadMeasurement{0.3, 0.12, 0.5, 0.4}; };
inline constexpr auto closeFace = [] { return HeadMeasurement{0.45, 0.18, 0.5, 0.6}; };
inline constexpr auto slouchedFace = [] { return HeadMeasurement{0.3, 0.12, 0.26, 0.4}; };

} // namespace tisko::test
