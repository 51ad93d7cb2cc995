// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/LoginNotice.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/PrivateFiles.h"
#include "Tisko/System/Notifier.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tisko {

namespace {

// The first line of a small file, or an empty text.
QString firstLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readLine(256)).trimmed();
}

} // namespace

LoginNotice::LoginNotice(QString markerPath, QString bootIdPath)
    : m_markerPath(std::move(markerPath))
    , m_bootIdPath(std::move(bootIdPath)) {}

LoginNotice LoginNotice::forStateFolder() {
    return LoginNotice(QFileInfo(Log::filePath()).absolutePath() +
                       QStringLiteral("/aviso-de-inicio"));
}

QString LoginNotice::currentLogin() const {
    return firstLine(m_bootIdPath) + u' ' + qEnvironmentVariable("XDG_SESSION_ID");
}

void LoginNotice::postOnce(NotificationCenter& center) const {
    const QString login = currentLogin();
    if (firstLine(m_markerPath) == login) {
        Log::info(QStringLiteral("Sin bandeja del sistema: el aviso de que Tisko sigue en marcha "
                                 "ya se dio en esta sesión"));
        return;
    }
    center.add(
        Notifier::loginNoticeRequest(), [marker = m_markerPath, login](const QString& error) {
            if (!error.isEmpty()) {
                Log::error(QStringLiteral("Aviso de inicio: ") + error);
                return;
            }
            Log::info(
                QStringLiteral("Sin bandeja del sistema: un aviso dice que Tisko sigue en marcha"));
            PrivateFiles::makeFolder(QFileInfo(marker).absolutePath());
            QSaveFile file(marker);
            if (!file.open(QIODevice::WriteOnly) || file.write((login + u'\n').toUtf8()) < 0 ||
                !file.commit())
                Log::error(QStringLiteral("No se ha podido guardar ") + marker +
                           QStringLiteral(": ") + file.errorString());
        });
}

} // namespace tisko
