// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Monitor/LookTrigger.h"
#include "Tisko/Monitor/MonitorServices.h"
#include "TiskoCore/AbsenceGate.h"
#include "TiskoCore/AlertPolicy.h"
#include "TiskoCore/CalibrationBook.h"
#include "TiskoCore/DailyTally.h"
#include "TiskoCore/EmptyLookBackOff.h"
#include "TiskoCore/PostureVerdict.h"
#include "TiskoCore/ReferenceCheck.h"
#include "TiskoCore/TiltTrigger.h"

#include <QMetaType>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace tisko {

namespace test {
class MonitorHarness;
}

// The one long-lived watcher: it owns the positions, the day counters and the warning
// bookkeeping, looks through the camera on its clock (and when asked), judges what it sees,
// warns, counts and saves. Lives on the main thread; every operation runs there.
// Its rules live in one source file each: the state (Monitor.cpp), the gates
// (MonitorGates.cpp), the check cycle (MonitorCheck.cpp), pauses and the head tracker
// (MonitorPause.cpp) and the positions (MonitorPositions.cpp); the log sentences are
// CheckLog's.
class Monitor : public QObject {
    Q_OBJECT
    Q_PROPERTY(tisko::Monitor::State state READ state NOTIFY stateChanged)
    Q_PROPERTY(tisko::CalibrationBook book READ book NOTIFY bookChanged)
    Q_PROPERTY(tisko::DailyTally tally READ tally NOTIFY tallyChanged)
    Q_PROPERTY(std::optional<tisko::Date> lastCheck READ lastCheck NOTIFY lastCheckChanged)
    Q_PROPERTY(
        std::optional<tisko::PostureVerdict> lastVerdict READ lastVerdict NOTIFY lastVerdictChanged)
    Q_PROPERTY(bool lastCheckShared READ lastCheckShared NOTIFY lastCheckSharedChanged)
    Q_PROPERTY(bool isLooking READ isLooking NOTIFY isLookingChanged)
    Q_PROPERTY(bool airPodsConnected READ airPodsConnected NOTIFY airPodsConnectedChanged)
    Q_PROPERTY(std::optional<tisko::ReferenceCheck::Problem> referenceSuspect READ referenceSuspect
                   NOTIFY referenceSuspectChanged)

public:
    // What the Monitor is doing.
    class State {
    public:
        enum class Kind { paused, watching, needsCalibration, noCameraPermission, noCamera };

        State() = default;
        // Paused until `until`.
        static State paused(Date until) { return State(Kind::paused, until); }
        static State watching() { return State(Kind::watching, {}); }
        static State needsCalibration() { return State(Kind::needsCalibration, {}); }
        static State noCameraPermission() { return State(Kind::noCameraPermission, {}); }
        static State noCamera() { return State(Kind::noCamera, {}); }

        Kind kind() const { return m_kind; }
        // The end of the pause (the epoch for other kinds).
        Date pausedUntil() const { return m_until; }
        bool operator==(const State&) const = default;

    private:
        State(Kind kind, Date until)
            : m_kind(kind)
            , m_until(until) {}
        Kind m_kind = Kind::needsCalibration;
        Date m_until{};
    };

    // Who asked for a look.
    using Trigger = LookTrigger;

    // The frames, timeout and settle of one look, as every caller passes them.
    static constexpr int lookFrames = 6;
    static constexpr double lookTimeout = 2.5;

    // Empty data, state needsCalibration; reads the cool-down once; nothing runs until start().
    explicit Monitor(MonitorServices services, QObject* parent = nullptr);
    ~Monitor() override;

    // Loads the files, wires the session events and the head tracker, derives the state,
    // starts the clock and logs "Vigilando: …". Called once.
    void start();
    // Reads the positions and the counters and derives the state, starting nothing; the
    // window pictures show a Monitor loaded this way.
    void load();
    // Derives the state again from the pause, the camera and the positions.
    void refreshState();
    // Asks for one check; the gates of the trigger decide whether the camera opens. Returns
    // at once; the result is handled later on the main thread.
    void look(Trigger trigger);
    // Pauses until `until`, or resumes when absent.
    void setPause(std::optional<Date> until);
    // Pauses until local midnight.
    void pauseUntilTomorrow();
    // Takes a changed interval, cool-down or head-tracker choice into use at once.
    void applySettings();
    // Restarts the clock with the interval setting; the next tick comes one period from now.
    void scheduleClock();
    // Starts or stops the head tracker as the setting and its permission say.
    void updateAirPods();
    // One head pitch in radians from the tracker; a held forward tilt asks for a look.
    void handlePitch(double pitch);

    // Saves a newly recorded position (replacing one of the same name) and makes it active.
    void saveCalibration(const Calibration& calibration);
    // Makes the position with this id the active one.
    void select(const Uuid& id);
    // Deletes the position with this id; when it was the active one, its reference hint and
    // recent checks go with it.
    void remove(const Uuid& id);
    // Gives the position a new name, trimmed; a blank name changes nothing.
    void rename(const Uuid& id, const QString& name);
    // Makes active the position recorded with the displays connected now, if any; an active
    // position recorded with them stays.
    void selectCalibrationForDisplays();
    // Hides the hint that the active position no longer fits, for 24 hours.
    void dismissReferenceSuspect();

    // The short text of a verdict in the user's language: "Demasiado cerca", "Encorvado",
    // "Bien", "No te veo".
    static QString describe(const PostureVerdict& verdict);
    // The word of a trigger in the log: "reloj", "seguidor de cabeza", "a mano".
    static QString triggerWord(Trigger trigger);

    const State& state() const { return m_state; }
    const CalibrationBook& book() const { return m_book; }
    const DailyTally& tally() const { return m_tally; }
    std::optional<Date> lastCheck() const { return m_lastCheck; }
    std::optional<PostureVerdict> lastVerdict() const { return m_lastVerdict; }
    bool lastCheckShared() const { return m_lastCheckShared; }
    bool isLooking() const { return m_isLooking; }
    bool airPodsConnected() const { return m_airPodsConnected; }
    std::optional<ReferenceCheck::Problem> referenceSuspect() const { return m_referenceSuspect; }

    // The current date of the Monitor's clock.
    Date now() const;
    // The local calendar of the Monitor's clock, which names today.
    Calendar calendar() const;
    // Shows a hint that the active position no longer fits without any checks behind it;
    // only the window pictures use it.
    void setReferenceSuspectForPictures(std::optional<ReferenceCheck::Problem> suspect) {
        setReferenceSuspect(suspect);
    }
    // The head tracker's pitch now, in radians; absent when no tracker reports.
    std::optional<double> currentPitch() const;
    // The key of the displays connected now; empty when nothing can tell.
    QString currentDisplayKey() const;

Q_SIGNALS:
    void stateChanged();
    void bookChanged();
    void tallyChanged();
    void lastCheckChanged();
    void lastVerdictChanged();
    void lastCheckSharedChanged();
    void isLookingChanged();
    void airPodsConnectedChanged();
    void referenceSuspectChanged();

private:
    // Reads the bookkeeping behind the gates and the warnings, which nothing else needs.
    friend class test::MonitorHarness;

    // The clock's own gates: someone in front, and no back-off after empty looks.
    bool clockMayLook();
    void startLook(const Calibration& calibration, Trigger trigger);
    void handle(const LookResult& result, const Calibration& calibration, Trigger trigger,
                std::optional<double> pitch);
    void warnIfDue(const PostureVerdict& verdict, Date now);
    void checkReference(const PostureVerdict& verdict, const Calibration& calibration, Date now);
    // Makes `book`'s active position the one in use: its pitch, a fresh reference check,
    // the file saved and the state derived again.
    void activate(CalibrationBook book);
    void resetReferenceCheck();
    void saveBook();
    void setBook(CalibrationBook book);
    void setTally(DailyTally tally);
    void setIsLooking(bool looking);
    void setAirPodsConnected(bool connected);
    void setReferenceSuspect(std::optional<ReferenceCheck::Problem> suspect);
    AlertPolicy freshPolicy() const;

    MonitorServices m_services;

    State m_state = State::needsCalibration();
    CalibrationBook m_book;
    DailyTally m_tally;
    std::optional<Date> m_lastCheck;
    std::optional<PostureVerdict> m_lastVerdict;
    bool m_lastCheckShared = false;
    bool m_isLooking = false;
    bool m_airPodsConnected = false;
    AlertPolicy m_policy;
    ReferenceCheck m_referenceCheck;
    AbsenceGate m_absence;
    EmptyLookBackOff m_backOff;
    std::optional<ReferenceCheck::Problem> m_referenceSuspect;
    TiltTrigger m_tilt;
    std::unique_ptr<RepeatingTimer> m_timer;
    double m_clockInterval = 0;
    std::optional<double> m_goodPitch;
};

} // namespace tisko

Q_DECLARE_METATYPE(tisko::CalibrationBook)
Q_DECLARE_METATYPE(tisko::DailyTally)
