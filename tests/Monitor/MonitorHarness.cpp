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

namespace {

// Makes a T, hands it to the services' `slot` and keeps a pointer for the test.
template <class T, class Slot, class... Arguments>
T* install(Slot& slot, Arguments&&... arguments) {
    auto object = std::make_unique<T>(std::forward<Arguments>(arguments)...);
    T* kept = object.get();
    slot = std::move(object);
    return kept;
}

} // namespace

MonitorHarness::MonitorHarness(Date start, long offsetSeconds)
    : m_home(QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                : QDir::tempPath()) {
    Log::restartForTesting();
    Storage::forgetFolderForTesting();

    MonitorServices services;
    m_clock = install<SimulatedClock>(services.clock, start, offsetSeconds);
    // The real settings file and data folder, in the private home.
    services.store = std::make_unique<SavedMonitorStore>();
    m_camera = install<FakeCamera>(services.cameras);
    m_screen = install<FakeScreen>(services.screen);
    m_presence = install<FakePresence>(services.presence);
    m_motion = install<FakeMotion>(services.motion);
    m_events = install<SessionEvents>(services.events);
    FakeCamera* cameraRef = m_camera;
    services.look = [cameraRef](const std::optional<QString>& cameraID, int, double,
                                std::function<void(const LookResult&)> done) {
        ++cameraRef->looksTaken;
        cameraRef->pending.push_back({cameraID, std::move(done)});
    };
    services.displayKey = [this] { return displayKey; };
    services.notify = [this](const PostureVerdict& verdict) { notified.push_back(verdict); };
    m_monitor = std::make_unique<Monitor>(std::move(services));
}

MonitorHarness::~MonitorHarness() {
    m_monitor.reset();
    Log::restartForTesting();
    Storage::forgetFolderForTesting();
}

Date MonitorHarness::defaultStart() {
    return *parseIso8601("2026-03-02T10:00:00Z");
}

void MonitorHarness::startWatching(const Calibration& calibration) {
    m_monitor->start();
    m_monitor->saveCalibration(calibration);
    newLogLines();
}

QStringList MonitorHarness::check(const LookResult& result, Monitor::Trigger trigger) {
    m_monitor->look(trigger);
    finishLook(result);
    return newLogLines();
}

void MonitorHarness::finishLook(const LookResult& result) {
    if (m_camera->pending.empty())
        throw std::logic_error("no look is waiting for a result");
    FakeCamera::Request request = std::move(m_camera->pending.front());
    m_camera->pending.pop_front();
    request.completion(result);
}

QStringList MonitorHarness::newLogLines() {
    const QStringList messages = loggedMessages();
    const QStringList fresh = messages.mid(m_logLinesSeen);
    m_logLinesSeen = messages.size();
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
    c.reference = HeadMeasurement{0.3, 0.12, 0.5, 0.4};
    c.headPitch = headPitch;
    c.cameraID = "file:/camera/" + name;
    c.displayKey = std::move(displayKey);
    c.createdAt = createdAt;
    return c;
}

LookResult nobodyResult() {
    LookResult r;
    r.analysed = 6;
    r.cameraID = QStringLiteral("file:/camera");
    r.format = QStringLiteral("640x480");
    return r;
}

LookResult faceResult(const HeadMeasurement& measurement) {
    LookResult r = nobodyResult();
    r.measurement = measurement;
    r.withFace = 6;
    return r;
}

LookResult failedResult() {
    LookResult r;
    r.failed = true;
    return r;
}

HeadMeasurement fineFace() {
    return HeadMeasurement{0.3, 0.12, 0.5, 0.4};
}

HeadMeasurement closeFace() {
    return HeadMeasurement{0.45, 0.18, 0.5, 0.6};
}

HeadMeasurement slouchedFace() {
    return HeadMeasurement{0.3, 0.12, 0.26, 0.4};
}

} // namespace tisko::test
