// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/PanelModel.h"

#include "Tisko/System/Chassis.h"
#include "Tisko/System/NotificationStatus.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>

namespace tisko {

namespace {

QDateTime local(Date date) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms);
}

PanelChoice choice(const QString& title, PanelAction action) {
    PanelChoice result;
    result.title = title;
    result.action = action;
    return result;
}

PanelHeadline statusHeadline(const PanelInputs& in) {
    switch (in.state.kind()) {
    case Monitor::State::Kind::paused:
        return {PanelModel::tr("En pausa"),
                PanelModel::tr("Hasta %1.")
                    .arg(PanelModel::pauseEnd(in.state.pausedUntil(), in.now, in.calendar))};
    case Monitor::State::Kind::watching: {
        QStringList parts;
        if (in.lastCheck)
            parts << PanelModel::tr("Última vez %1").arg(PanelModel::shortTime(*in.lastCheck));
        if (in.lastCheckShared)
            parts << PanelModel::tr("cámara compartida");
        parts << PanelModel::warningsText(in.warningsToday);
        if (in.trackerConnected)
            parts << PanelModel::tr("seguidor de cabeza");
        return {in.lastVerdict ? Monitor::describe(*in.lastVerdict) : PanelModel::tr("Vigilando"),
                parts.join(QStringLiteral(" · "))};
    }
    case Monitor::State::Kind::needsCalibration:
        return {
            PanelModel::tr("Falta tu posición"),
            PanelModel::tr("Tisko necesita verte una vez sentado bien para saber qué es «demasiado "
                           "cerca».")};
    case Monitor::State::Kind::noCameraPermission:
        return {PanelModel::tr("Sin permiso de cámara"),
                PanelModel::tr("Sin cámara Tisko no puede mirar.")};
    case Monitor::State::Kind::noCamera:
        return {PanelModel::tr("No hay cámara"),
                in.laptop
                    ? PanelModel::tr("Con el portátil cerrado y sin cámara externa, Tisko espera.")
                    : PanelModel::tr("Sin cámara, Tisko espera.")};
    }
    return {};
}

std::optional<PanelChoice> statusButton(const PanelInputs& in) {
    switch (in.state.kind()) {
    case Monitor::State::Kind::watching: {
        PanelChoice look =
            choice(in.isLooking ? PanelModel::tr("Mirando…") : PanelModel::tr("Comprobar ahora"),
                   PanelAction::lookNow);
        look.enabled = !in.isLooking;
        return look;
    }
    case Monitor::State::Kind::needsCalibration: {
        PanelChoice create = choice(PanelModel::tr("Crear posición…"), PanelAction::newPosition);
        create.prominent = true;
        return create;
    }
    case Monitor::State::Kind::noCameraPermission:
        return choice(PanelModel::tr("Abrir Ajustes de Tisko"), PanelAction::openSettings);
    case Monitor::State::Kind::paused:
    case Monitor::State::Kind::noCamera:
        break;
    }
    return std::nullopt;
}

} // namespace

bool closesPanel(PanelAction action) {
    switch (action) {
    case PanelAction::lookNow:
    case PanelAction::dismissHint:
    case PanelAction::selectPosition:
    case PanelAction::resume:
        return false;
    default:
        return true;
    }
}

PanelInputs PanelInputs::from(const Monitor& monitor, PermissionState notifications,
                              std::optional<QString> availableVersion) {
    PanelInputs in;
    in.state = monitor.state();
    in.isLooking = monitor.isLooking();
    in.lastVerdict = monitor.lastVerdict();
    in.lastCheck = monitor.lastCheck();
    in.lastCheckShared = monitor.lastCheckShared();
    in.trackerConnected = monitor.airPodsConnected();
    in.now = monitor.now();
    in.calendar = monitor.calendar();
    in.warningsToday = monitor.tally().day(in.now, in.calendar).alerts();
    in.book = monitor.book();
    in.referenceSuspect = monitor.referenceSuspect();
    in.notifications = notifications;
    in.availableVersion = std::move(availableVersion);
    in.laptop = Chassis::isLaptop();
    return in;
}

QString PanelModel::warningsText(std::int64_t count) {
    // The singular is a sentence of its own: without a translation "%n" keeps the plural words.
    if (count == 1)
        return tr("1 aviso hoy");
    return tr("%n avisos hoy", nullptr, static_cast<int>(count));
}

QString PanelModel::shortTime(Date date) {
    return QLocale().toString(local(date).time(), QLocale::ShortFormat);
}

QString PanelModel::pauseEnd(Date until, Date now, const Calendar& calendar) {
    if (calendar && calendar(until) == calendar(now))
        return shortTime(until);
    const QDateTime end = local(until);
    //: The day a pause ends, as a pattern of QLocale: "4 mar".
    const QString day = QLocale().toString(end.date(), tr("d MMM"));
    //: The day (%1) and the time (%2) a pause ends: "4 mar 15:00".
    return tr("%1 %2").arg(day, shortTime(until));
}

PanelContent PanelModel::build(const PanelInputs& in) {
    PanelContent content;
    if (in.availableVersion)
        content.update =
            choice(tr("Actualizar a la %1…").arg(*in.availableVersion), PanelAction::update);
    if (in.notifications == PermissionState::denied) {
        content.notificationsWarning =
            tr("Las notificaciones de Tisko están desactivadas: no puede avisarte.");
        content.notificationsButton = choice(tr("Activarlas…"), PanelAction::enableNotifications);
    }
    content.status = statusHeadline(in);
    content.statusButton = statusButton(in);

    const std::optional<Calibration> active = in.book.active();
    if (in.state.kind() == Monitor::State::Kind::watching && in.referenceSuspect && active) {
        const QString name = QString::fromStdString(active->name);
        content.hint = *in.referenceSuspect == ReferenceCheck::Problem::tooClose
                           ? tr("Casi siempre te veo demasiado cerca con «%1». Si ahora estás a tu "
                                "distancia de siempre, vuelve a guardarla.")
                                 .arg(name)
                           : tr("Casi siempre te veo encorvado con «%1». Si ahora estás sentado "
                                "como sueles, vuelve a guardarla.")
                                 .arg(name);
        PanelChoice resave =
            choice(tr("Volver a guardar «%1»…").arg(name), PanelAction::resavePosition);
        resave.position = active->id;
        resave.positionName = QString::fromStdString(active->name);
        content.hintButtons = {resave, choice(tr("Ahora no"), PanelAction::dismissHint)};
    }

    if (!in.book.calibrations.empty()) {
        for (const Calibration& calibration : in.book.calibrations) {
            PanelChoice row =
                choice(QString::fromStdString(calibration.name), PanelAction::selectPosition);
            row.checked = in.book.activeID == calibration.id;
            row.position = calibration.id;
            row.positionName = row.title;
            content.positions.push_back(row);
        }
        content.positions.push_back(choice(tr("Nueva posición…"), PanelAction::newPosition));
    }

    if (in.state.kind() == Monitor::State::Kind::paused)
        content.pauseRows = {choice(tr("Reanudar"), PanelAction::resume)};
    else
        content.pauseRows = {choice(tr("Pausar 1 hora"), PanelAction::pauseHour),
                             choice(tr("Pausar hasta mañana"), PanelAction::pauseTomorrow)};
    content.footer = {choice(tr("Ajustes…"), PanelAction::openSettings),
                      choice(tr("Salir de Tisko"), PanelAction::quit)};
    return content;
}

} // namespace tisko
