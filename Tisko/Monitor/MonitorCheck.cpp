// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/Monitor.h"

#include "Tisko/Monitor/CheckLog.h"
#include "Tisko/Support/Log.h"
#include "TiskoCore/PostureJudge.h"

#include <QPointer>

// The check cycle: one look through the camera, judged against the active position,
// counted, logged, and warned about when a warning is due.

namespace tisko {

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
        Log::info(CheckLog::cameraBusy(trigger));
        return;
    }
    if (result.failed || result.analysed == 0) {
        // A look that analysed no frame saw nothing, not an empty chair: a failure too.
        Log::error(CheckLog::lookFailed(trigger, result.failed));
        refreshState();
        return;
    }
    const PostureVerdict verdict =
        PostureJudge::judge(result.measurement, calibration, m_services.store->thresholds(),
                            m_services.store->watchCloseness(), m_services.store->watchSlouch());
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

    Log::info(CheckLog::look(trigger, calibration, verdict, result));

    warnIfDue(verdict, at);
    m_services.store->saveTally(m_tally);
}

void Monitor::checkReference(const PostureVerdict& verdict, const Calibration& calibration,
                             Date at) {
    m_referenceCheck.record(verdict);
    const std::optional<ReferenceCheck::Problem> suspect = m_referenceCheck.suspect();
    if (suspect == m_referenceSuspect)
        return;
    const bool dismissed = m_services.store->referenceHintDismissed(calibration.id, at);
    setReferenceSuspect(dismissed ? std::nullopt : suspect);
    if (suspect && !dismissed)
        Log::info(CheckLog::referenceSuspect(calibration, *suspect));
}

void Monitor::warnIfDue(const PostureVerdict& verdict, Date at) {
    if (!m_policy.shouldAlert(verdict, at))
        return;
    m_policy.didAlert(at);
    DailyTally tally = m_tally;
    tally.recordAlert(verdict, at, m_services.clock->calendar());
    setTally(std::move(tally));
    // Counted above as the posture found; logged as sent only once the desktop took it (a
    // warning that was not logs its cause instead).
    const QString sent = CheckLog::alertSent(m_policy.streak, m_policy.currentGap());
    if (!m_services.notify) {
        Log::info(sent);
        return;
    }
    m_services.notify(verdict, [sent](bool delivered) {
        if (delivered)
            Log::info(sent);
    });
}

} // namespace tisko
