// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/GeneralModel.h"

#include "Tisko/Support/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace tisko {

QString GeneralModel::todayLine(const DailyTally::Day& day) {
    // Each singular is a text of its own: without a translation "%n" keeps the plural words.
    const std::int64_t alerts = day.alerts();
    const QString warnings =
        alerts == 1 ? tr("1 aviso") : tr("%n avisos", nullptr, static_cast<int>(alerts));
    const QString checks = day.checks == 1
                               ? tr("1 comprobación")
                               : tr("%n comprobaciones", nullptr, static_cast<int>(day.checks));
    return warnings + QStringLiteral(" · ") + checks;
}

QString GeneralModel::iconFooter(bool iconShown, bool trayThere) {
    if (iconShown && !trayThere)
        return tr("Este escritorio no tiene bandeja del sistema: Tisko sigue mirando y, abierto "
                  "desde el menú de aplicaciones, se muestra en una ventana. El icono aparece en "
                  "cuanto haya una bandeja.");
    return iconShown ? tr("Tisko vive en la bandeja del sistema y mira cada pocos minutos, "
                          "aunque no la abras.")
                     : tr("Sin icono, Tisko sigue mirando. Para volver aquí, abre Tisko otra "
                          "vez desde el menú de aplicaciones: se muestra en una ventana.");
}

QString GeneralModel::tallyFooter(const QString& tallyPath, const QString& home) {
    QString shown = QDir::cleanPath(tallyPath);
    const QString homePath = QDir::cleanPath(home);
    if (!homePath.isEmpty() && homePath != QStringLiteral("/") &&
        shown.startsWith(homePath + QLatin1Char('/')))
        shown = QStringLiteral("~") + shown.mid(homePath.size());
    return tr("Solo números: cuántas veces ha mirado y cuántas te ha avisado cada día. Ninguna "
              "imagen sale del momento en que se mira. También queda en %1.")
        .arg(shown);
}

QString GeneralModel::updatesFooter(bool hasFeed) {
    return hasFeed ? tr("Tisko busca versiones nuevas sola cada pocas horas y te avisa.")
                   : tr("Esta copia de Tisko no busca actualizaciones; las recibe con el sistema.");
}

QString GeneralModel::versionRow(const QString& version) {
    return tr("Versión %1").arg(version.isEmpty() ? QStringLiteral("—") : version);
}

QString GeneralModel::proposedFileName() {
    return tr("Tisko recuento.csv");
}

GeneralModel::Refusal GeneralModel::refusalOf(const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISLNK(status.st_mode))
        return {QT_TR_NOOP("«%1» es un enlace simbólico; elige otro nombre"), path};
    // Anyone who may write in the folder could put a link there between the check and the
    // save; a folder of the user's own, or one nobody else may write, is safe.
    const QString folder = QFileInfo(path).absolutePath();
    if (::stat(QFile::encodeName(folder).constData(), &status) == 0 &&
        status.st_uid != ::geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return {QT_TR_NOOP("otros usuarios pueden escribir en la carpeta «%1»; elige otra"),
                folder};
    return {};
}

QString GeneralModel::exportRefusal(const QString& path) {
    const Refusal refusal = refusalOf(path);
    return refusal.sentence ? tr(refusal.sentence).arg(refusal.subject) : QString();
}

bool GeneralModel::exportCsv(const DailyTally& tally, const QString& path, QString* reason) {
    const Refusal refusal = refusalOf(path);
    // The user reads why in their language; the log keeps it in Spanish.
    QString refused = refusal.sentence ? tr(refusal.sentence).arg(refusal.subject) : QString();
    QString logged =
        refusal.sentence ? QString::fromUtf8(refusal.sentence).arg(refusal.subject) : QString();
    if (!refusal.sentence) {
        QSaveFile file(path);
        const QByteArray bytes = QByteArray::fromStdString(tally.csv());
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
            return true;
        refused = logged = file.errorString();
        file.cancelWriting();
    }
    Log::error(QStringLiteral("Exportar: ") + logged);
    if (reason)
        *reason = refused;
    return false;
}

} // namespace tisko
