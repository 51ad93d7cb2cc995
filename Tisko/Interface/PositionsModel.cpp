// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/PositionsModel.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <chrono>

namespace tisko {

namespace {

// The number of displays a key names; absent for no key or a foreign one.
std::optional<qsizetype> displayCount(const std::optional<QString>& key) {
    const QString prefix = QStringLiteral("displays:");
    if (!key || !key->startsWith(prefix))
        return std::nullopt;
    return key->mid(prefix.size()).split(QLatin1Char('+'), Qt::SkipEmptyParts).size();
}

} // namespace

std::vector<PositionsModel::Row> PositionsModel::rows(const CalibrationBook& book,
                                                      const std::vector<CameraDevice>& cameras,
                                                      const QLocale& locale) {
    const std::optional<Calibration> active = book.active();
    std::vector<Row> rows;
    for (const Calibration& position : book.calibrations) {
        rows.push_back({position.id, QString::fromStdString(position.name),
                        detailLine(position, cameras, locale),
                        active && active->id == position.id});
    }
    return rows;
}

QString PositionsModel::detailLine(const Calibration& position,
                                   const std::vector<CameraDevice>& cameras,
                                   const QLocale& locale) {
    QStringList parts;
    const QString cameraID = QString::fromStdString(position.cameraID);
    const auto camera = std::find_if(cameras.begin(), cameras.end(),
                                     [&](const CameraDevice& c) { return c.uniqueID == cameraID; });
    parts << (camera != cameras.end() ? camera->localizedName : tr("Otra cámara"));
    parts << describeDisplays(position.displayKey
                                  ? std::optional(QString::fromStdString(*position.displayKey))
                                  : std::nullopt);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(position.createdAt.time_since_epoch())
            .count();
    //: The day a position was recorded, as a pattern of QLocale: "4 mar 2025".
    parts << locale.toString(QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime).date(),
                             tr("d MMM yyyy"));
    if (position.headPitch)
        parts << tr("con seguidor de cabeza");
    return parts.join(QStringLiteral(" · "));
}

QString PositionsModel::describeDisplays(const std::optional<QString>& key) {
    const std::optional<qsizetype> count = displayCount(key);
    if (!count)
        return QStringLiteral("—");
    if (count == 0)
        return tr("Sin pantallas");
    // The singular is a text of its own: without a translation "%n" keeps the plural word.
    if (count == 1)
        return tr("1 pantalla");
    return tr("%n pantallas", nullptr, static_cast<int>(*count));
}

QString PositionsModel::displaysFooter(const QString& currentKey, const QStringList& withoutEdid) {
    QStringList parts;
    // The key's own description, unless it counts none and others are named.
    if (withoutEdid.isEmpty() || displayCount(currentKey).value_or(0) > 0)
        parts << describeDisplays(currentKey);
    for (const QString& connector : withoutEdid)
        parts << tr("pantalla %1").arg(connector);
    QString now = parts.size() > 1
                      ? tr("%1 y %2").arg(parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")),
                                          parts.last())
                      : parts.constFirst();
    // It follows a colon in the middle of a sentence.
    now[0] = now[0].toLower();
    return tr("Cada posición recuerda qué pantallas había al crearla. Al enchufar o desenchufar "
              "una, Tisko pasa a la posición que se hizo con esas mismas. Ahora: %1.")
        .arg(now);
}

} // namespace tisko
