// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Monitor/CheckLog.h"

#include <QCoreApplication>
#include <QDateTime>

#include <chrono>
#include <cmath>
#include <numbers>

namespace tisko::CheckLog {

namespace {

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

QString lookOpening(LookTrigger trigger) {
    return QStringLiteral("Mirada (") + triggerWord(trigger);
}

} // namespace

QString triggerWord(LookTrigger trigger) {
    switch (trigger) {
    case LookTrigger::clock:
        return QStringLiteral("reloj");
    case LookTrigger::airPods:
        return QStringLiteral("seguidor de cabeza");
    case LookTrigger::manual:
        return QStringLiteral("a mano");
    }
    return {};
}

const char* verdictWords(const PostureVerdict& verdict) {
    switch (verdict.kind()) {
    case PostureVerdict::Kind::tooClose:
        return QT_TRANSLATE_NOOP("Monitor", "Demasiado cerca");
    case PostureVerdict::Kind::slouching:
        return QT_TRANSLATE_NOOP("Monitor", "Encorvado");
    case PostureVerdict::Kind::fine:
        return QT_TRANSLATE_NOOP("Monitor", "Bien");
    case PostureVerdict::Kind::away:
        return QT_TRANSLATE_NOOP("Monitor", "No te veo");
    }
    return "";
}

QString describe(const PostureVerdict& verdict) {
    return QString::fromUtf8(verdictWords(verdict));
}

QString watching(const std::optional<Calibration>& active, double interval) {
    const QString name = active ? text(active->name) : QStringLiteral("sin calibrar");
    return QStringLiteral("Vigilando: ") + name + QStringLiteral(" · cada ") +
           wholeNumber(interval) + QStringLiteral(" s");
}

QString cameraBusy(LookTrigger trigger) {
    return lookOpening(trigger) + QStringLiteral("): otra aplicación está usando la cámara");
}

QString lookFailed(LookTrigger trigger, bool failed) {
    return lookOpening(trigger) + (failed
                                       ? QStringLiteral("): la cámara no se ha abierto")
                                       : QStringLiteral("): la cámara no ha dado ninguna imagen"));
}

QString look(LookTrigger trigger, const Calibration& calibration, const PostureVerdict& verdict,
             const LookResult& result) {
    QString line = lookOpening(trigger) + QStringLiteral(") · ") + text(calibration.name) +
                   QStringLiteral(" · ") + describe(verdict);
    if (const std::optional<PostureVerdict::Figures> figures = verdict.figures()) {
        line += QStringLiteral(" · cerca ") + threeDecimals(figures->closeness) +
                QStringLiteral(" · baja ") + threeDecimals(figures->drop);
    }
    line += QStringLiteral(" · ") + QString::number(result.withFace) + QLatin1Char('/') +
            QString::number(result.analysed) + QStringLiteral(" con cara · ") + result.format;
    if (result.sharedWithAnotherApp)
        line += QStringLiteral(" · cámara compartida");
    return line;
}

QString alertSent(std::int64_t streak, double gapSeconds) {
    if (streak < 2)
        return QStringLiteral("Aviso enviado");
    return QStringLiteral("Aviso enviado (") + QString::number(streak) +
           QStringLiteral("º seguido; el siguiente, como pronto en ") +
           wholeNumber(gapSeconds / 60) + QStringLiteral(" min)");
}

QString referenceSuspect(const Calibration& calibration, ReferenceCheck::Problem problem) {
    return QStringLiteral("La posición «") + text(calibration.name) +
           QStringLiteral("» parece no encajar: casi todo sale ") +
           (problem == ReferenceCheck::Problem::slouching ? QStringLiteral("encorvado")
                                                          : QStringLiteral("demasiado cerca"));
}

QString pause(std::optional<Date> until) {
    return until ? QStringLiteral("En pausa hasta ") + describeDate(*until)
                 : QStringLiteral("Reanudado");
}

QString tilt(double radians) {
    return QStringLiteral("Seguidor de cabeza: cabeza inclinada ") +
           wholeNumber(radians * 180 / std::numbers::pi) + QStringLiteral("°, miro");
}

QString positionSaved(const Calibration& calibration) {
    return QStringLiteral("Posición guardada: ") + text(calibration.name) +
           QStringLiteral(" · cara ") + threeDecimals(calibration.reference.faceWidth) +
           QStringLiteral(" · ojos ") +
           threeDecimals(calibration.reference.eyeDistance.value_or(0));
}

QString positionInUse(const std::optional<Calibration>& active) {
    return QStringLiteral("Posición en uso: ") +
           (active ? text(active->name) : QStringLiteral("?"));
}

QString positionForDisplays(const Calibration& match) {
    return QStringLiteral("Pantallas cambiadas: paso a «") + text(match.name) + QStringLiteral("»");
}

} // namespace tisko::CheckLog
