#include "Tisko/Monitor/Monitor.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/Support/Storage.h"
#include "TiskoCore/PostureJudge.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPointer>

#include <chrono>
#include <cmath>
#include <numbers>

namespace tisko {

namespace {

constexpr double clockTolerance = 10;
constexpr double hintDismissalSeconds = 86400;

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// A date as "2025-03-04 09:15:27 +0000", in universal time.
QString describeDate(Date date) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch());
    return QDateTime::fromMSecsSinceEpoch(ms.count(), Qt::UTC)
               .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QStringLiteral(" +0000");
}

// A whole number of seconds, minutes or degrees for the log, without a cast that a huge
// value would overflow.
QString wholeNumber(double value) {
    return QString::number(std::trunc(value), 'f', 0);
}

QString threeDecimals(double value) {
    const QString text = QString::asprintf("%.3f", value);
    // A drop of -0.0001 is no drop at all: never print "-0.000".
    return text == QStringLiteral("-0.000") ? QStringLiteral("0.000") : text;
}

} // namespace

Monitor::Monitor(MonitorServices services, QObject* parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_policy(freshPolicy()) {}

Monitor::~Monitor() = default;

AlertPolicy Monitor::freshPolicy() {
    return AlertPolicy(SettingsStore::cooldown(), AlertPolicy::defaultMaxMultiplier, std::nullopt);
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

// --- Start and state ---------------------------------------------------------------------

void Monitor::load() {
    setBook(Storage::load<CalibrationBook>(Storage::positionsFileName).value_or(CalibrationBook{}));
    setTally(Storage::load<DailyTally>(Storage::tallyFileName).value_or(DailyTally{}));
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

    const std::optional<Calibration> active = m_book.active();
    const QString name = active ? text(active->name) : QStringLiteral("sin calibrar");
    Log::info(QStringLiteral("Vigilando: ") + name + QStringLiteral(" · cada ") +
              wholeNumber(m_clockInterval) + QStringLiteral(" s"));
}

void Monitor::refreshState() {
    State next;
    const std::optional<Date> pausedUntil = SettingsStore::pausedUntil();
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
    m_clockInterval = std::min(SettingsStore::interval(), RepeatingTimer::longestInterval);
    auto timer = m_services.clock->createTimer();
    QPointer<Monitor> self(this);
    timer->start(m_clockInterval, clockTolerance, [self] {
        if (self)
            self->look(Trigger::clock);
    });
    m_timer = std::move(timer);
}

// --- The gates ---------------------------------------------------------------------------

void Monitor::look(Trigger trigger) {
    refreshState();
    if (m_isLooking)
        return;
    if (m_state.kind() != State::Kind::watching && trigger != Trigger::manual)
        return;
    const std::optional<Calibration> active = m_book.active();
    if (!active)
        return;
    if (trigger != Trigger::manual) {
        if (m_services.screen->isLocked())
            return;
        if (trigger == Trigger::clock) {
            Presence& presence = *m_services.presence;
            switch (
                m_absence.update({presence.mainDisplayAsleep(), presence.secondsSinceLastInput(),
                                  presence.companionKeepingAwake()})) {
            case AbsenceGate::Change::left:
                Log::info(QStringLiteral("Nadie delante (sin teclado ni ratón 3 min, o "
                                         "pantalla en reposo): dejo de mirar"));
                break;
            case AbsenceGate::Change::returned:
                Log::info(QStringLiteral("Vuelve a haber actividad: miro otra vez"));
                break;
            case AbsenceGate::Change::none:
                break;
            }
            if (m_absence.skipping() || !m_backOff.mayLook())
                return;
        }
    }
    startLook(*active, trigger);
}

// --- The check cycle ---------------------------------------------------------------------

void Monitor::startLook(const Calibration& calibration, Trigger trigger) {
    setIsLooking(true);
    const std::optional<double> pitch = m_services.motion->pitch();
    QPointer<Monitor> self(this);
    m_services.look(QString::fromStdString(calibration.cameraID), lookFrames, lookTimeout,
                    [self, calibration, trigger, pitch](const LookResult& result) {
                        if (!self)
                            return;
                        self->setIsLooking(false);
                        self->handle(result, calibration, trigger, pitch);
                    });
}

void Monitor::handle(const LookResult& result, const Calibration& calibration, Trigger trigger,
                     std::optional<double> pitch) {
    if (result.failed && result.cameraBusy) {
        // A video call has the camera: nothing was seen, so nothing is counted or changed,
        // and the next tick asks again.
        Log::info(QStringLiteral("Mirada (") + triggerWord(trigger) +
                  QStringLiteral("): otra aplicación está usando la cámara"));
        return;
    }
    if (result.failed || result.analysed == 0) {
        // A look that analysed no frame saw nothing, not an empty chair: a failure too.
        Log::error(QStringLiteral("Mirada (") + triggerWord(trigger) +
                   (result.failed ? QStringLiteral("): la cámara no se ha abierto")
                                  : QStringLiteral("): la cámara no ha dado ninguna imagen")));
        refreshState();
        return;
    }
    const PostureVerdict verdict =
        PostureJudge::judge(result.measurement, calibration, SettingsStore::thresholds(),
                            SettingsStore::watchCloseness(), SettingsStore::watchSlouch());
    const Date at = now();

    if (m_lastCheck != at) {
        m_lastCheck = at;
        Q_EMIT lastCheckChanged();
    }
    if (m_lastVerdict != verdict) {
        m_lastVerdict = verdict;
        Q_EMIT lastVerdictChanged();
    }
    if (m_lastCheckShared != result.sharedWithAnotherApp) {
        m_lastCheckShared = result.sharedWithAnotherApp;
        Q_EMIT lastCheckSharedChanged();
    }

    DailyTally tally = m_tally;
    tally.recordCheck(verdict, at, m_services.clock->calendar());
    setTally(std::move(tally));
    m_policy.observe(verdict);

    const bool away = verdict.kind() == PostureVerdict::Kind::away;
    switch (m_backOff.record(!away, trigger == Trigger::clock)) {
    case EmptyLookBackOff::Change::started:
        Log::info(QStringLiteral("Tres miradas sin nadie: miro una vez de cada cinco hasta verte"));
        break;
    case EmptyLookBackOff::Change::ended:
        Log::info(QStringLiteral("Te vuelvo a ver: miro al ritmo normal"));
        break;
    case EmptyLookBackOff::Change::none:
        break;
    }

    checkReference(verdict, calibration, at);

    if (pitch && verdict.kind() == PostureVerdict::Kind::fine)
        m_goodPitch = pitch;

    QString line = QStringLiteral("Mirada (") + triggerWord(trigger) + QStringLiteral(") · ") +
                   text(calibration.name) + QStringLiteral(" · ") + describe(verdict);
    if (result.measurement) {
        line += QStringLiteral(" · cerca ") +
                threeDecimals(PostureJudge::closeness(*result.measurement, calibration.reference)) +
                QStringLiteral(" · baja ") +
                threeDecimals(PostureJudge::drop(*result.measurement, calibration.reference));
    }
    line += QStringLiteral(" · ") + QString::number(result.withFace) + QLatin1Char('/') +
            QString::number(result.analysed) + QStringLiteral(" con cara · ") + result.format;
    if (result.sharedWithAnotherApp)
        line += QStringLiteral(" · cámara compartida");
    Log::info(line);

    warnIfDue(verdict, at);
    Storage::save(m_tally, Storage::tallyFileName);
}

void Monitor::checkReference(const PostureVerdict& verdict, const Calibration& calibration,
                             Date at) {
    m_referenceCheck.record(verdict);
    const std::optional<ReferenceCheck::Problem> suspect = m_referenceCheck.suspect();
    if (suspect == m_referenceSuspect)
        return;
    const bool dismissed = SettingsStore::referenceHintDismissed(calibration.id, at);
    setReferenceSuspect(dismissed ? std::nullopt : suspect);
    if (suspect && !dismissed) {
        Log::info(QStringLiteral("La posición «") + text(calibration.name) +
                  QStringLiteral("» parece no encajar: casi todo sale ") +
                  (*suspect == ReferenceCheck::Problem::slouching
                       ? QStringLiteral("encorvado")
                       : QStringLiteral("demasiado cerca")));
    }
}

void Monitor::warnIfDue(const PostureVerdict& verdict, Date at) {
    if (!m_policy.shouldAlert(verdict, at))
        return;
    m_policy.didAlert(at);
    DailyTally tally = m_tally;
    tally.recordAlert(verdict, at, m_services.clock->calendar());
    setTally(std::move(tally));
    if (m_services.notify)
        m_services.notify(verdict);
    if (m_policy.streak < 2) {
        Log::info(QStringLiteral("Aviso enviado"));
    } else {
        Log::info(QStringLiteral("Aviso enviado (") + QString::number(m_policy.streak) +
                  QStringLiteral("º seguido; el siguiente, como pronto en ") +
                  wholeNumber(m_policy.currentGap() / 60) + QStringLiteral(" min)"));
    }
}

QString Monitor::describe(const PostureVerdict& verdict) {
    switch (verdict.kind()) {
    case PostureVerdict::Kind::tooClose:
        return QCoreApplication::translate("Monitor", "Demasiado cerca");
    case PostureVerdict::Kind::slouching:
        return QCoreApplication::translate("Monitor", "Encorvado");
    case PostureVerdict::Kind::fine:
        return QCoreApplication::translate("Monitor", "Bien");
    case PostureVerdict::Kind::away:
        return QCoreApplication::translate("Monitor", "No te veo");
    }
    return {};
}

QString Monitor::triggerWord(Trigger trigger) {
    switch (trigger) {
    case Trigger::clock:
        return QStringLiteral("reloj");
    case Trigger::airPods:
        return QStringLiteral("seguidor de cabeza");
    case Trigger::manual:
        return QStringLiteral("a mano");
    }
    return {};
}

// --- Pause, settings and the head tracker ------------------------------------------------

void Monitor::setPause(std::optional<Date> until) {
    SettingsStore::setPausedUntil(until);
    Log::info(until ? QStringLiteral("En pausa hasta ") + describeDate(*until)
                    : QStringLiteral("Reanudado"));
    refreshState();
}

void Monitor::pauseUntilTomorrow() {
    setPause(m_services.clock->startOfNextDay(now()));
}

void Monitor::applySettings() {
    m_policy.cooldown = SettingsStore::cooldown();
    scheduleClock();
    updateAirPods();
}

void Monitor::updateAirPods() {
    MotionSource& motion = *m_services.motion;
    if (SettingsStore::useAirPods() && !motion.permissionDenied()) {
        motion.start();
        return;
    }
    motion.stop();
    setAirPodsConnected(false);
}

void Monitor::handlePitch(double pitch) {
    if (m_state.kind() != State::Kind::watching)
        return;
    std::optional<double> reference = m_goodPitch;
    if (!reference) {
        const std::optional<Calibration> active = m_book.active();
        if (!active || !active->headPitch)
            return;
        reference = active->headPitch;
    }
    if (!m_tilt.update(pitch, *reference, now()))
        return;
    Log::info(QStringLiteral("Seguidor de cabeza: cabeza inclinada ") +
              wholeNumber((*reference - pitch) * 180 / std::numbers::pi) +
              QStringLiteral("°, miro"));
    look(Trigger::airPods);
}

// --- Positions ---------------------------------------------------------------------------

void Monitor::activate(CalibrationBook book) {
    setBook(std::move(book));
    const std::optional<Calibration> active = m_book.active();
    m_goodPitch = active ? active->headPitch : std::nullopt;
    resetReferenceCheck();
    saveBook();
    refreshState();
}

void Monitor::resetReferenceCheck() {
    m_referenceCheck.reset();
    setReferenceSuspect(std::nullopt);
}

void Monitor::saveBook() {
    Storage::save(m_book, Storage::positionsFileName);
}

void Monitor::saveCalibration(const Calibration& calibration) {
    CalibrationBook book = m_book;
    book.save(calibration);
    m_policy = freshPolicy();
    activate(std::move(book));
    Log::info(QStringLiteral("Posición guardada: ") + text(calibration.name) +
              QStringLiteral(" · cara ") + threeDecimals(calibration.reference.faceWidth) +
              QStringLiteral(" · ojos ") +
              threeDecimals(calibration.reference.eyeDistance.value_or(0)));
}

void Monitor::select(const Uuid& id) {
    CalibrationBook book = m_book;
    book.activeID = id;
    activate(std::move(book));
    const std::optional<Calibration> active = m_book.active();
    Log::info(QStringLiteral("Posición en uso: ") +
              (active ? text(active->name) : QStringLiteral("?")));
}

void Monitor::remove(const Uuid& id) {
    // Callers pass ids that live in the book itself, which setBook replaces: keep a copy.
    const Uuid removed = id;
    const std::optional<Calibration> active = m_book.active();
    CalibrationBook book = m_book;
    book.remove(removed);
    setBook(std::move(book));
    // The hint and the recent checks judged the removed position, not the next one.
    if (active && active->id == removed)
        resetReferenceCheck();
    saveBook();
    refreshState();
}

void Monitor::rename(const Uuid& id, const QString& name) {
    CalibrationBook book = m_book;
    auto it = std::find_if(book.calibrations.begin(), book.calibrations.end(),
                           [&](const Calibration& c) { return c.id == id; });
    if (it == book.calibrations.end())
        return;
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return;
    it->name = trimmed.toStdString();
    setBook(std::move(book));
    saveBook();
}

void Monitor::selectCalibrationForDisplays() {
    if (!SettingsStore::autoSelectByDisplays())
        return;
    const QString key = m_services.displayKey ? m_services.displayKey() : QString();
    // An active position recorded with these displays stays, even when a newer one was
    // recorded with them too: the user chose it.
    const std::optional<Calibration> active = m_book.active();
    if (active && active->displayKey && *active->displayKey == key.toStdString())
        return;
    const std::optional<Calibration> match = m_book.match(key.toStdString());
    if (!match || m_book.activeID == match->id)
        return;
    CalibrationBook book = m_book;
    book.activeID = match->id;
    activate(std::move(book));
    Log::info(QStringLiteral("Pantallas cambiadas: paso a «") + text(match->name) +
              QStringLiteral("»"));
}

void Monitor::dismissReferenceSuspect() {
    const std::optional<Calibration> active = m_book.active();
    if (!active)
        return;
    SettingsStore::setReferenceHintDismissed(active->id, addSeconds(now(), hintDismissalSeconds));
    setReferenceSuspect(std::nullopt);
    Log::info(QStringLiteral("Aviso de posición descartado hasta mañana"));
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
