// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/DetectionModel.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace tisko {

DetectionModel::Picker DetectionModel::sensitivity(int level) {
    return withCurrent({{tr("Muy tolerante"), 1},
                        {tr("Tolerante"), 2},
                        {tr("Normal"), 3},
                        {tr("Estricta"), 4},
                        {tr("Muy estricta"), 5}},
                       level, QString::number(level));
}

DetectionModel::Picker DetectionModel::interval(double seconds) {
    QList<Choice> choices;
    for (double value : {60.0, 120.0, 180.0, 300.0, 600.0})
        choices.append({secondsLabel(value), value});
    return withCurrent(choices, seconds, secondsLabel(seconds));
}

DetectionModel::Picker DetectionModel::cooldown(double minutes) {
    QList<Choice> choices;
    for (double value : {5.0, 10.0, 20.0, 30.0})
        choices.append({minutesLabel(value), value});
    return withCurrent(choices, minutes, minutesLabel(minutes));
}

QString DetectionModel::secondsLabel(double seconds) {
    if (seconds >= 60 && std::fmod(seconds, 60) == 0)
        return minutesLabel(seconds / 60);
    if (seconds == 1)
        return tr("1 segundo");
    // A whole number (below a thousand, where no digit grouping can differ) takes the plural
    // forms of a translation; a fraction, stored by hand, is plural in any case.
    if (seconds > 1 && seconds < 60 && std::trunc(seconds) == seconds)
        return tr("%Ln segundos", nullptr, static_cast<int>(seconds));
    return tr("%1 segundos").arg(QLocale().toString(seconds));
}

QString DetectionModel::minutesLabel(double minutes) {
    if (minutes == 1)
        return tr("1 minuto");
    if (minutes > 1 && minutes < 1000 && std::trunc(minutes) == minutes)
        return tr("%Ln minutos", nullptr, static_cast<int>(minutes));
    return tr("%1 minutos").arg(QLocale().toString(minutes));
}

DetectionModel::Picker DetectionModel::withCurrent(QList<Choice> choices, double value,
                                                   const QString& label) {
    const auto match = std::find_if(choices.cbegin(), choices.cend(),
                                    [&](const Choice& c) { return c.value == value; });
    if (match != choices.cend())
        return {choices, static_cast<int>(match - choices.cbegin())};
    // An entry of its own, in order of value.
    const auto after = std::find_if(choices.cbegin(), choices.cend(),
                                    [&](const Choice& c) { return c.value > value; });
    const int at = static_cast<int>(after - choices.cbegin());
    choices.insert(at, Choice{label, value});
    return {choices, at};
}

} // namespace tisko
