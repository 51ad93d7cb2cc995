// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/CalibrationModel.h"

#include "Tisko/Monitor/Monitor.h"
#include "Tisko/Camera/Cameras.h"
#include "Tisko/System/Permissions.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace tisko {

namespace {

// Fewer faces than this in the measuring seconds are not a position.
constexpr std::size_t fewestSamples = 5;

// Runs `task` on the main thread while `model` exists.
void onMainThread(const QPointer<CalibrationModel>& model, std::function<void()> task) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [model, task = std::move(task)] {
            if (model)
                task();
        },
        Qt::QueuedConnection);
}

} // namespace

CalibrationModel::Services CalibrationModel::Services::forThisMachine() {
    Services services;
    services.permission = [] { return CameraPermission::state(); };
    services.requestPermission = [](std::function<void(bool)> done) {
        CameraPermission::request(std::move(done));
    };
    services.createSession = [](const std::optional<QString>& id) {
        return CameraSession::create(id);
    };
    services.cameras = [] { return Cameras::all(); };
    return services;
}

CalibrationModel::CalibrationModel(Monitor& monitor, std::optional<QString> name, QObject* parent)
    : CalibrationModel(monitor, std::move(name), Services::forThisMachine(), parent) {}

CalibrationModel::CalibrationModel(Monitor& monitor, std::optional<QString> name, Services services,
                                   QObject* parent)
    : QObject(parent)
    , m_monitor(monitor)
    , m_services(std::move(services)) {
    const CalibrationBook& book = m_monitor.book();
    if (name) {
        m_name = *name;
    } else {
        QStringList existing;
        for (const Calibration& calibration : book.calibrations)
            existing << QString::fromStdString(calibration.name);
        m_name = suggestedName(existing);
    }
    if (const std::optional<Calibration> active = book.active())
        m_cameraID = QString::fromStdString(active->cameraID);
    if (m_services.cameras)
        m_cameras = m_services.cameras();
}

CalibrationModel::~CalibrationModel() {
    // The camera closes with the window, whatever the phase.
    if (m_camera)
        m_camera->stop();
}

QString CalibrationModel::suggestedName(const QStringList& existing) {
    const QString home = tr("Casa");
    if (!existing.contains(home))
        return home;
    const QString office = tr("Oficina");
    if (!existing.contains(office))
        return office;
    for (qsizetype n = existing.size() + 1;; ++n) {
        const QString candidate = tr("Posición %1").arg(n);
        if (!existing.contains(candidate))
            return candidate;
    }
}

// --- Opening and the camera --------------------------------------------------------------

void CalibrationModel::open() {
    if (m_camera)
        return;
    switch (m_services.permission ? m_services.permission() : PermissionState::granted) {
    case PermissionState::notAsked: {
        const QPointer<CalibrationModel> self(this);
        m_services.requestPermission([self](bool granted) {
            onMainThread(self, [self, granted] {
                if (granted)
                    self->startCamera();
                else
                    self->setPhase(Phase::failed(tr("Sin permiso de cámara.")));
            });
        });
        return;
    }
    case PermissionState::granted:
    // Without any camera there is no node to ask; starting says there is no camera.
    case PermissionState::unknown:
        startCamera();
        return;
    case PermissionState::denied:
        setPhase(Phase::failed(tr("Tisko no puede abrir la cámara. En una sesión remota o sin "
                                  "pantalla propia, los ajustes de permisos dicen cómo dársela.")));
        return;
    }
}

void CalibrationModel::startCamera() {
    std::shared_ptr<CameraSession> session =
        m_services.createSession ? m_services.createSession(m_cameraID) : nullptr;
    if (!session) {
        setPhase(Phase::failed(tr("No hay ninguna cámara.")));
        return;
    }
    setCamera(session);
    setCameraID(session->device().uniqueID);
    const QPointer<CalibrationModel> self(this);
    const std::weak_ptr<CameraSession> weak = session;
    // Frames of a session already replaced or stopped are not this camera's any more.
    session->onMeasurement = [self, weak](std::optional<HeadMeasurement> measurement) {
        onMainThread(self, [self, weak, measurement] {
            if (self->m_camera && self->m_camera == weak.lock())
                self->received(measurement);
        });
    };
    // Nothing is seen through a camera that has not delivered yet.
    setSeesFace(false);
    setPhase(Phase::preparing());
    session->start(m_services.settle, [self, weak](bool running) {
        onMainThread(self, [self, weak, running] {
            if (!self->m_camera || self->m_camera != weak.lock())
                return;
            if (running) {
                self->setPhase(Phase::ready());
            } else {
                // Closed now, so that trying again opens it afresh.
                self->stopCamera();
                self->setPhase(Phase::failed(tr("La cámara no se ha abierto.")));
            }
        });
    });
}

void CalibrationModel::stopCamera() {
    if (!m_camera)
        return;
    m_camera->stop();
    setCamera(nullptr);
}

void CalibrationModel::chooseCamera(const QString& id) {
    if (!cameraChoiceEnabled() || (m_camera && m_cameraID == id))
        return;
    setCameraID(id);
    stopCamera();
    startCamera();
}

void CalibrationModel::received(const std::optional<HeadMeasurement>& measurement) {
    setSeesFace(measurement.has_value());
    if (measurement && m_collecting)
        m_samples.push_back(*measurement);
}

// --- The sequence ------------------------------------------------------------------------

void CalibrationModel::act() {
    switch (m_phase.kind()) {
    case Phase::Kind::failed:
        // A camera that went away meanwhile is opened again rather than shown frozen.
        if (m_camera && m_camera->isRunning()) {
            setPhase(Phase::ready());
        } else {
            stopCamera();
            startCamera();
        }
        return;
    case Phase::Kind::done:
        return;
    default:
        if (actionEnabled())
            calibrate();
    }
}

void CalibrationModel::calibrate() {
    if (m_sequenceRunning)
        return;
    m_sequenceRunning = true;
    countdown(3);
}

void CalibrationModel::countdown(int number) {
    setPhase(Phase::countdown(number));
    const QPointer<CalibrationModel> self(this);
    auto next = [self, number] {
        if (!self)
            return;
        if (number > 1)
            self->countdown(number - 1);
        else
            self->measure();
    };
    later(m_services.countdownStep, next);
}

void CalibrationModel::measure() {
    setPhase(Phase::measuring());
    m_samples.clear();
    m_collecting = true;
    const QPointer<CalibrationModel> self(this);
    auto end = [self] {
        if (!self)
            return;
        self->m_collecting = false;
        self->finish();
    };
    later(m_services.measuring, end);
}

void CalibrationModel::finish() {
    m_sequenceRunning = false;
    const std::optional<HeadMeasurement> median = HeadMeasurement::median(m_samples);
    if (m_samples.size() < fewestSamples || !median || !m_camera) {
        setPhase(Phase::failed(tr("No te he visto bien. Ponte de cara a la cámara, con luz, y "
                                  "vuelve a probar.")));
        return;
    }
    QString name = m_name.trimmed();
    if (name.isEmpty())
        name = suggestedName({});
    const QString displayKey = m_monitor.currentDisplayKey();
    const Calibration calibration{
        Uuid::random(),
        name.toStdString(),
        *median,
        m_monitor.currentPitch(),
        m_camera->device().uniqueID.toStdString(),
        displayKey.isEmpty() ? std::nullopt : std::optional(displayKey.toStdString()),
        m_monitor.now(),
    };
    m_monitor.saveCalibration(calibration);
    setPhase(Phase::done());
    stopCamera();
    // A window closed meanwhile took the model with it, and needs no closing.
    const QPointer<CalibrationModel> self(this);
    // A screen reader needs longer than the eye to tell "Guardada" before the window goes.
    const std::chrono::milliseconds delay =
        QAccessible::isActive() ? std::max(m_services.finishDelay, std::chrono::milliseconds(4000))
                                : m_services.finishDelay;
    later(delay, [self] {
        if (self)
            Q_EMIT self->finished();
    });
}

void CalibrationModel::later(std::chrono::milliseconds delay, std::function<void()> task) {
    if (m_services.after)
        m_services.after(delay, std::move(task));
    else
        QTimer::singleShot(delay, this, std::move(task));
}

// --- What the window shows ---------------------------------------------------------------

QString CalibrationModel::actionLabel() const {
    switch (m_phase.kind()) {
    case Phase::Kind::failed:
        return tr("Volver a probar");
    case Phase::Kind::done:
        return tr("Hecho");
    default:
        return tr("Tomar posición");
    }
}

bool CalibrationModel::cancelShown() const {
    return m_phase.kind() != Phase::Kind::done;
}

bool CalibrationModel::actionEnabled() const {
    switch (m_phase.kind()) {
    case Phase::Kind::failed:
    case Phase::Kind::done:
        return true;
    case Phase::Kind::ready:
        return m_seesFace;
    default:
        return false;
    }
}

bool CalibrationModel::cameraChoiceEnabled() const {
    const Phase::Kind kind = m_phase.kind();
    return kind == Phase::Kind::ready || kind == Phase::Kind::failed ||
           kind == Phase::Kind::preparing;
}

CalibrationModel::Overlay CalibrationModel::overlay() const {
    switch (m_phase.kind()) {
    case Phase::Kind::preparing:
        return {tr("Abriendo la cámara…"), QStringLiteral("camera"), false};
    case Phase::Kind::ready:
        return m_seesFace ? Overlay{tr("Te veo"), QStringLiteral("face-smiling"), false}
                          : Overlay{tr("No te veo"), QStringLiteral("eye-slash"), false};
    case Phase::Kind::countdown:
        return {QString::number(m_phase.number()), {}, true};
    case Phase::Kind::measuring:
        return {tr("Quieto, mirando…"), QStringLiteral("eye"), false};
    case Phase::Kind::done:
        return {tr("Guardada"), QStringLiteral("checkmark-circle"), false};
    case Phase::Kind::failed:
        return {m_phase.message(), QStringLiteral("warning"), false};
    }
    return {};
}

QString CalibrationModel::title() {
    return tr("Nueva posición");
}

QString CalibrationModel::instructions() {
    return tr("Siéntate como quieres sentarte: la espalda recta y la cara a la distancia buena. "
              "Tisko mirará tres segundos y lo tomará como referencia.");
}

QString CalibrationModel::nameLabel() {
    return tr("Nombre");
}

QString CalibrationModel::cameraLabel() {
    return tr("Cámara");
}

QString CalibrationModel::cancelLabel() {
    return tr("Cancelar");
}

// --- Observable fields -------------------------------------------------------------------

void CalibrationModel::setPhase(const Phase& phase) {
    if (phase == m_phase)
        return;
    m_phase = phase;
    Q_EMIT phaseChanged();
}

void CalibrationModel::setName(const QString& name) {
    if (name == m_name)
        return;
    m_name = name;
    Q_EMIT nameChanged();
}

void CalibrationModel::setSeesFace(bool sees) {
    if (sees == m_seesFace)
        return;
    m_seesFace = sees;
    Q_EMIT seesFaceChanged();
}

void CalibrationModel::setCameraID(std::optional<QString> id) {
    if (id == m_cameraID)
        return;
    m_cameraID = std::move(id);
    Q_EMIT cameraIDChanged();
}

void CalibrationModel::setCamera(std::shared_ptr<CameraSession> camera) {
    if (camera == m_camera)
        return;
    m_camera = std::move(camera);
    Q_EMIT cameraChanged();
}

} // namespace tisko
