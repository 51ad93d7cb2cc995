// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/Monitor.h"

#include "Tisko/Monitor/CheckLog.h"
#include "Tisko/Support/Log.h"

#include <QCoreApplication>
#include <QPointer>

// The Monitor's state: what it loads at start, the state it derives, its clock, and the
// properties it publishes.

namespace tisko {

namespace {

constexpr double clockTolerance = 10;

} // namespace

Monitor::Monitor(MonitorServices services, QObject* parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_policy(freshPolicy()) {}

Monitor::~Monitor() = default;

AlertPolicy Monitor::freshPolicy() const {
    return AlertPolicy(m_services.store->cooldown(), AlertPolicy::defaultMaxMultiplier,
                       std::nullopt);
}

Date Monitor::now() const {
    return m_services.clock->now();
}

Calendar Monitor::calendar() const {
    return m_services.clock->calendar();
}

std::optional<double> Monitor::currentPitch() const {
    return m_services.motion ? m_services.motion->pitch() : std::nullopt;
}

QString Monitor::currentDisplayKey() const {
    return m_services.displayKey ? m_services.displayKey() : QString();
}

QString Monitor::describe(const PostureVerdict& verdict) {
    return QCoreApplication::translate("Monitor", CheckLog::verdictWords(verdict));
}

QString Monitor::triggerWord(Trigger trigger) {
    return CheckLog::triggerWord(trigger);
}

void Monitor::load() {
    setBook(m_services.store->loadBook());
    setTally(m_services.store->loadTally());
    refreshState();
}

void Monitor::start() {
    load();
    selectCalibrationForDisplays();

    if (SessionEvents* events = m_services.events.get()) {
        connect(events, &SessionEvents::displaysChanged, this,
                &Monitor::selectCalibrationForDisplays);
        connect(events, &SessionEvents::woke, this, &Monitor::scheduleClock);
    }
    QPointer<Monitor> self(this);
    m_services.motion->setOnPitch([self](double pitch) {
        if (self)
            self->handlePitch(pitch);
    });
    m_services.motion->setOnConnectionChange([self](bool connected) {
        if (!self)
            return;
        self->setAirPodsConnected(connected);
        Log::info(connected ? QStringLiteral("Seguidor de cabeza conectado")
                            : QStringLiteral("Seguidor de cabeza desconectado"));
    });

    refreshState();
    scheduleClock();
    updateAirPods();
    Log::info(CheckLog::watching(m_book.active(), m_clockInterval));
}

void Monitor::refreshState() {
    State next;
    const std::optional<Date> pausedUntil = m_services.store->pausedUntil();
    if (pausedUntil && *pausedUntil > now())
        next = State::paused(*pausedUntil);
    else if (m_services.cameras->permissionDenied())
        next = State::noCameraPermission();
    else if (!m_services.cameras->hasCamera())
        next = State::noCamera();
    else if (!m_book.active())
        next = State::needsCalibration();
    else
        next = State::watching();
    if (next == m_state)
        return;
    m_state = next;
    Q_EMIT stateChanged();
}

void Monitor::scheduleClock() {
    if (m_timer)
        m_timer->stop();
    m_clockInterval = std::min(m_services.store->interval(), RepeatingTimer::longestInterval);
    auto timer = m_services.clock->createTimer();
    QPointer<Monitor> self(this);
    timer->start(m_clockInterval, clockTolerance, [self] {
        if (self)
            self->look(Trigger::clock);
    });
    m_timer = std::move(timer);
}

// --- Published properties ----------------------------------------------------------------

void Monitor::setBook(CalibrationBook book) {
    if (book == m_book)
        return;
    m_book = std::move(book);
    Q_EMIT bookChanged();
}

void Monitor::setTally(DailyTally tally) {
    if (tally == m_tally)
        return;
    m_tally = std::move(tally);
    Q_EMIT tallyChanged();
}

void Monitor::setIsLooking(bool looking) {
    if (looking == m_isLooking)
        return;
    m_isLooking = looking;
    Q_EMIT isLookingChanged();
}

void Monitor::setAirPodsConnected(bool connected) {
    if (connected == m_airPodsConnected)
        return;
    m_airPodsConnected = connected;
    Q_EMIT airPodsConnectedChanged();
}

void Monitor::setReferenceSuspect(std::optional<ReferenceCheck::Problem> suspect) {
    if (suspect == m_referenceSuspect)
        return;
    m_referenceSuspect = suspect;
    Q_EMIT referenceSuspectChanged();
}

} // namespace tisko
