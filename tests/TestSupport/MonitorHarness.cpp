// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MonitorHarness.h"
#include "LoggedLines.h"
#include "TestFiles.h"

#include "Tisko/Monitor/SavedMonitorStore.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/Storage.h"

#include <QFileInfo>

namespace tisko::test {

class SimulatedClock::Timer final : public RepeatingTimer {
public:
    explicit Timer(SimulatedClock& clock)
        : m_clock(clock) {}
    ~Timer() override { stop(); }

    void start(double intervalSeconds, double, std::function<void()> action) override {
        m_interval = intervalSeconds;
        m_due = addSeconds(m_clock.m_now, intervalSeconds);
        m_action = std::move(action);
        m_clock.m_running = this;
    }
    void stop() override {
        if (m_clock.m_running == this)
            m_clock.m_running = nullptr;
    }

    SimulatedClock& m_clock;
    double m_interval = 0;
    Date m_due{};
    std::function<void()> m_action;
};

std::unique_ptr<RepeatingTimer> SimulatedClock::createTimer() {
    return std::make_unique<Timer>(*this);
}

void SimulatedClock::advance(double seconds) {
    const Date target = addSeconds(m_now, seconds);
    while (m_running && m_running->m_due <= target) {
        m_now = m_running->m_due;
        m_running->m_due = addSeconds(m_now, m_running->m_interval);
        // The action may stop, replace or destroy this very timer: call a copy.
        const std::function<void()> action = m_running->m_action;
        action();
    }
    m_now = target;
}

namespace {

template <class T, class Slot, class... Arguments>
T* install(Slot& slot, Arguments&&... arguments) {
    auto object = std::make_unique<T>(std::forward<Arguments>(arguments)...);
    T* kept = object.get();
    slot = std::move(object);
    return kept;
}

} // namespace

MonitorHarness::MonitorHarness()
    : m_home(QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                : QDir::tempPath()) {
    Log::restartForTesting();
    Storage::forgetFolderForTesting();

    MonitorServices services;
    m_clock = install<SimulatedClock>(services.clock, defaultStart());
    // The real settings file and data folder, in the private home.
    services.store = std::make_unique<SavedMonitorStore>();
    m_camera = install<FakeCamera>(services.cameras);
    m_screen = install<FakeScreen>(services.screen);
    m_presence = install<FakePresence>(services.presence);
    m_motion = install<FakeMotion>(services.motion);
    m_events = install<SessionEvents>(services.events);
    services.look = [this](const std::optional<QString>&, int, double,
                           std::function<void(const LookResult&)> done) {
        ++m_camera->looksTaken;
        m_camera->pending = std::move(done);
    };
    services.displayKey = [this] { return displayKey; };
    services.notify = [this](const PostureVerdict& verdict, std::function<void(bool)> delivered) {
        notified.push_back(verdict);
        delivered(delivers);
    };
    m_monitor = std::make_unique<Monitor>(std::move(services));
}

MonitorHarness::~MonitorHarness() {
    m_monitor.reset();
    Log::restartForTesting();
    Storage::forgetFolderForTesting();
}

void MonitorHarness::startWatching(const Calibration& calibration) {
    m_monitor->start();
    m_monitor->saveCalibration(calibration);
    newLogLines();
}

QStringList MonitorHarness::check(const LookResult& result) {
    m_monitor->look(Monitor::Trigger::manual);
    finishLook(result);
    return newLogLines();
}

void MonitorHarness::finishLook(const LookResult& result) {
    if (!m_camera->pending)
        throw std::logic_error("no look is waiting for a result");
    std::exchange(m_camera->pending, nullptr)(result);
}

QStringList MonitorHarness::newLogLines() {
    const QStringList fresh = loggedMessages().mid(m_logLinesSeen);
    m_logLinesSeen += fresh.size();
    return fresh;
}

QByteArray MonitorHarness::dataFile(const QString& name) const {
    return readFile(Storage::filePath(name));
}

Calibration position(const std::string& name, std::optional<double> headPitch,
                     std::optional<std::string> displayKey, Date createdAt) {
    Calibration c;
    c.id = Uuid::random();
    c.name = name;
    c.reference = fineFace();
    c.headPitch = headPitch;
    c.cameraID = "file:/camera/" + name;
    c.displayKey = std::move(displayKey);
    c.createdAt = createdAt;
    return c;
}

LookResult nobodyResult() {
    LookResult r;
    r.analysed = 6;
    r.format = QStringLiteral("640x480");
    return r;
}

LookResult faceResult(const HeadMeasurement& measurement) {
    LookResult r = nobodyResult();
    r.measurement = measurement;
    r.withFace = 6;
    return r;
}

} // namespace tisko::test
