// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>

namespace tisko {

// The value lists of the warnings page and their texts. A stored value that matches no
// entry is added as an entry of its own, so it is shown as itself and kept.
class DetectionModel {
    Q_DECLARE_TR_FUNCTIONS(DetectionModel)

public:
    DetectionModel() = delete;

    // One entry of a picker.
    struct Choice {
        QString label;
        double value = 0;
        bool operator==(const Choice&) const = default;
    };
    // A picker's entries and the index of the stored value among them.
    struct Picker {
        QList<Choice> choices;
        int current = 0;
    };

    // "Muy tolerante" 1 to "Muy estricta" 5.
    static Picker sensitivity(int level);
    // "1 minuto" 60 to "10 minutos" 600 seconds.
    static Picker interval(double seconds);
    // "5 minutos" to "30 minutos".
    static Picker cooldown(double minutes);

    // "45 segundos", "1 minuto", "4 minutos", "1,5 minutos"…
    static QString secondsLabel(double seconds);
    static QString minutesLabel(double minutes);

private:
    static Picker withCurrent(QList<Choice> choices, double value, const QString& label);
};

} // namespace tisko
