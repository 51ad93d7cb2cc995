// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "SimulatedClock.h"
#include "TempHome.h"

#include "Tisko/Monitor/Monitor.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tisko::test {

// The camera as the Monitor sees it: each look waits until the test finishes it.
struct FakeCamera final : CameraAvailability {
    struct Request {
        std::optional<QString> cameraID;
        std::function<void(const LookResult&)> completion;
    };

    bool permissionDenied() override { return denied; }
    bool hasCamera() override { return present; }

    bool denied = false;
    bool present = true;
    std::deque<Request> pending;
    int looksTaken = 0;
};

struct FakeScreen final : ScreenState {
    bool isLocked() override { return locked; }
    bool locked = false;
};

struct FakePresence final : Presence {
    std::optional<double> secondsSinceLastInput() override { return idleSeconds; }
    bool mainDisplayAsleep() override { return displayAsleep; }
    bool companionKeepingAwake() override { return companionNudged; }
    std::optional<double> idleSeconds = 5.0;
    bool displayAsleep = false;
    bool companionNudged = false;
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

    // Reports a pitch as the tracker would.
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

// A Monitor in a private home, on a simulated clock, with fakes for every probe.
class MonitorHarness {
public:
    // Local days in a zone `offsetSeconds` ahead of UTC; the clock starts at `start`.
    explicit MonitorHarness(Date start = defaultStart(), long offsetSeconds = 0);
    ~MonitorHarness();

    // 2026-03-02 10:00:00 UTC, a Monday.
    static Date defaultStart();

    Monitor& monitor() { return *m_monitor; }
    SimulatedClock& clock() { return *m_clock; }
    FakeCamera& camera() { return *m_camera; }
    FakeScreen& screen() { return *m_screen; }
    FakePresence& presence() { return *m_presence; }
    FakeMotion& motion() { return *m_motion; }
    SessionEvents& events() { return *m_events; }

    // The Monitor's bookkeeping behind the warnings and the head tracker.
    const AlertPolicy& policy() const { return m_monitor->m_policy; }
    std::optional<double> goodPitch() const { return m_monitor->m_goodPitch; }
    // The clock's period in seconds since the last scheduleClock(), cut to what a timer
    // keeps; 0 before it.
    double clockInterval() const { return m_monitor->m_clockInterval; }

    // The display key the probe reports.
    QString displayKey = QStringLiteral("displays:");
    // The verdicts handed to the notifier.
    std::vector<PostureVerdict> notified;

    // Starts the Monitor with `calibration` as its one position, and drops the lines logged.
    void startWatching(const Calibration& calibration);
    // Finishes the oldest look with `result`, as the camera would on the main thread.
    void finishLook(const LookResult& result);
    // Asks for a look (one the clock started is answered instead) and answers it with
    // `result`; the lines logged meanwhile.
    QStringList check(const LookResult& result,
                      Monitor::Trigger trigger = Monitor::Trigger::manual);

    // The messages logged since the last call, without stamp and level.
    QStringList newLogLines();
    // The file's text in the data folder; empty when missing.
    QByteArray dataFile(const QString& name) const;

private:
    // On /dev/shm where there is one: the data files are saved after every look with an fsync,
    // which a memory file system makes free, so thousands of looks take seconds.
    TempHome m_home;
    SimulatedClock* m_clock = nullptr;
    FakeCamera* m_camera = nullptr;
    FakeScreen* m_screen = nullptr;
    FakePresence* m_presence = nullptr;
    FakeMotion* m_motion = nullptr;
    SessionEvents* m_events = nullptr;
    std::unique_ptr<Monitor> m_monitor;
    qsizetype m_logLinesSeen = 0;
};

// A position named `name` with a reference face of width 0.3, eyes 0.12, at height 0.5 with
// box height 0.4.
Calibration position(const std::string& name, std::optional<double> headPitch = std::nullopt,
                     std::optional<std::string> displayKey = std::nullopt,
                     Date createdAt = MonitorHarness::defaultStart());

// A look result: a face measured as `measurement` in all six frames, or nobody.
LookResult faceResult(const HeadMeasurement& measurement);
LookResult nobodyResult();
LookResult failedResult();
// Measurements that judge fine, too close and slouching against position().
HeadMeasurement fineFace();
HeadMeasurement closeFace();
HeadMeasurement slouchedFace();

} // namespace tisko::test
