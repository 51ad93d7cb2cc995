// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraDevice.h"
#include "TiskoCore/CalibrationBook.h"

#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tisko {

// What the positions page shows: one row per saved position, its detail line, and the
// description of a set of displays.
class PositionsModel {
    Q_DECLARE_TR_FUNCTIONS(PositionsModel)

public:
    PositionsModel() = delete;

    // One position as its row shows it.
    struct Row {
        Uuid id;
        QString name;
        QString detail;
        bool active = false;
    };

    // The rows in the book's order; the active one is the book's active position (the first
    // when the active id names none).
    static std::vector<Row> rows(const CalibrationBook& book,
                                 const std::vector<CameraDevice>& cameras, const QLocale& locale);
    // Camera name or "Otra cámara", displays, the date in `locale`, and "con seguidor de
    // cabeza" when the position has a head pitch, joined with " · ".
    static QString detailLine(const Calibration& position, const std::vector<CameraDevice>& cameras,
                              const QLocale& locale);
    // "Sin pantallas", "1 pantalla", "3 pantallas"; "—" for no key or a foreign one.
    static QString describeDisplays(const std::optional<QString>& key);
    // The footer of the display switch, ending in "Ahora: <displays>.": the displays of the
    // key, then those without an EDID by their connector ("pantalla DP-1").
    static QString displaysFooter(const QString& currentKey, const QStringList& withoutEdid);
};

} // namespace tisko
