// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraDevice.h"
#include "Tisko/Camera/CameraSession.h"
#include "Tisko/System/PermissionState.h"
#include "TiskoCore/HeadMeasurement.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tisko {

class Monitor;

// The recording of a new position: the camera picture, a countdown, three seconds of
// measuring and the median saved through the Monitor. Lives on the main thread; the
// recording window shows it and forwards its clicks.
class CalibrationModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(bool seesFace READ seesFace WRITE setSeesFace NOTIFY seesFaceChanged)

public:
    // Where the recording stands.
    class Phase {
    public:
        enum class Kind { countdown, failed, preparing, ready, measuring, done };

        Phase() = default;
        // Counting down before measuring; `number` is shown (3, 2, 1).
        static Phase countdown(int number) { return Phase(Kind::countdown, number, {}); }
        // Stopped with `message` shown.
        static Phase failed(QString message) { return Phase(Kind::failed, 0, std::move(message)); }
        static Phase preparing() { return Phase(Kind::preparing, 0, {}); }
        static Phase ready() { return Phase(Kind::ready, 0, {}); }
        static Phase measuring() { return Phase(Kind::measuring, 0, {}); }
        static Phase done() { return Phase(Kind::done, 0, {}); }

        Kind kind() const { return m_kind; }
        // The countdown's number; 0 for other kinds.
        int number() const { return m_number; }
        // The failure's message; empty for other kinds.
        const QString& message() const { return m_message; }
        bool operator==(const Phase&) const = default;

    private:
        Phase(Kind kind, int number, QString message)
            : m_kind(kind)
            , m_number(number)
            , m_message(std::move(message)) {}
        Kind m_kind = Kind::preparing;
        int m_number = 0;
        QString m_message;
    };

    // The overlay on the camera picture: a badge with an icon, or the countdown's number.
    struct Overlay {
        QString text;
        QString icon; // the icon's name in Tisko's resources; empty for the countdown
        bool countdown = false;
        bool operator==(const Overlay&) const = default;
    };

    // What the model asks of the machine, and how long its steps take; tests replace them.
    struct Services {
        std::function<PermissionState()> permission;
        std::function<void(std::function<void(bool)>)> requestPermission;
        std::function<std::shared_ptr<CameraSession>(const std::optional<QString>&)> createSession;
        std::function<std::vector<CameraDevice>()> cameras;
        // Runs `task` on the main thread after `delay`; unset, a Qt timer does.
        std::function<void(std::chrono::milliseconds delay, std::function<void()> task)> after;
        std::chrono::milliseconds countdownStep{1000};
        std::chrono::milliseconds measuring{3000};
        std::chrono::milliseconds finishDelay{1200};
        double settle = 0.5;

        // The camera permission, Cameras and CameraSession of this machine, on Qt timers.
        static Services forThisMachine();
    };

    // A recording for `name`, kept as given; without one, a name the book does not use yet.
    CalibrationModel(Monitor& monitor, std::optional<QString> name, QObject* parent = nullptr);
    // The same with other services (tests, benchmarks).
    CalibrationModel(Monitor& monitor, std::optional<QString> name, Services services,
                     QObject* parent = nullptr);
    ~CalibrationModel() override;

    // Checks the camera permission and starts the camera; called when the window appears.
    void open();
    // Counts down from 3 and then measures for three seconds; ignored while that runs.
    void calibrate();
    // The open session, or nullptr.
    CameraSession* camera() const { return m_camera.get(); }
    // Stops the session and forgets it; a sequence still running then fails.
    void stopCamera();
    // Opens the camera `id` instead of the current one, passing through preparing again.
    void chooseCamera(const QString& id);
    // The action button: calibrate, try again, or nothing, as the phase says.
    void act();

    const Phase& phase() const { return m_phase; }
    // Stores the phase; an equal phase notifies nobody.
    void setPhase(const Phase& phase);
    const QString& name() const { return m_name; }
    void setName(const QString& name);
    // The camera to open, then the open camera's id.
    const std::optional<QString>& cameraID() const { return m_cameraID; }
    // Whether the last analysed frame showed a face.
    bool seesFace() const { return m_seesFace; }
    void setSeesFace(bool sees);
    // The cameras connected when the model was made; the picker shows them when two or more.
    const std::vector<CameraDevice>& cameras() const { return m_cameras; }
    // The measurements of the measuring seconds.
    const std::vector<HeadMeasurement>& samples() const { return m_samples; }

    // The action button's label for the phase.
    QString actionLabel() const;
    // Whether the action button can be pressed.
    bool actionEnabled() const;
    // Whether "Cancelar" is there: not once the position is saved, when only "Hecho" is left.
    bool cancelShown() const;
    // Whether another camera may be chosen now: not while counting down, measuring or done.
    bool cameraChoiceEnabled() const;
    // The overlay for the phase and whether a face is seen.
    Overlay overlay() const;

    // The window's fixed texts.
    static QString title();
    static QString instructions();
    static QString nameLabel();
    static QString cameraLabel();
    static QString cancelLabel();

    // "Casa", else "Oficina", else the first "Posición n" not in `existing`, n counting up
    // from the number of names plus one.
    static QString suggestedName(const QStringList& existing);

Q_SIGNALS:
    // The new position is saved and has been shown as saved: the window may go.
    void finished();
    void phaseChanged();
    void nameChanged();
    void cameraIDChanged();
    void seesFaceChanged();
    void cameraChanged();

private:
    void startCamera();
    void received(const std::optional<HeadMeasurement>& measurement);
    void countdown(int number);
    void measure();
    void finish();
    void later(std::chrono::milliseconds delay, std::function<void()> task);
    void setCameraID(std::optional<QString> id);
    void setCamera(std::shared_ptr<CameraSession> camera);

    Monitor& m_monitor;
    Services m_services;
    Phase m_phase;
    QString m_name;
    std::optional<QString> m_cameraID;
    bool m_seesFace = false;
    std::shared_ptr<CameraSession> m_camera;
    std::vector<HeadMeasurement> m_samples;
    bool m_collecting = false;
    bool m_sequenceRunning = false;
    std::vector<CameraDevice> m_cameras;
};

} // namespace tisko
