#include "Tisko/Interface/PositionsModel.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <chrono>

namespace tisko {

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
    parts << locale.toString(QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime).date(),
                             QLocale::ShortFormat);
    if (position.headPitch)
        parts << tr("con seguidor de cabeza");
    return parts.join(QStringLiteral(" · "));
}

QString PositionsModel::describeDisplays(const std::optional<QString>& key) {
    const QString prefix = QStringLiteral("displays:");
    if (!key || !key->startsWith(prefix))
        return QStringLiteral("—");
    const qsizetype count =
        key->mid(prefix.size()).split(QLatin1Char('+'), Qt::SkipEmptyParts).size();
    if (count == 0)
        return tr("Sin pantallas");
    if (count == 1)
        return tr("1 pantalla");
    return tr("%1 pantallas").arg(count);
}

QString PositionsModel::displaysFooter(const QString& currentKey) {
    return tr("Cada posición recuerda qué pantallas había al crearla. Al enchufar o desenchufar "
              "una, Tisko pasa a la posición que se hizo con esas mismas. Ahora: %1.")
        .arg(describeDisplays(currentKey));
}

} // namespace tisko
