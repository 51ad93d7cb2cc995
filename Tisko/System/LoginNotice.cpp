// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/LoginNotice.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/PrivateFiles.h"
#include "Tisko/System/DBusQuery.h"
#include "Tisko/System/Notifier.h"

#include <QDBusConnection>
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
    QString session = qEnvironmentVariable("XDG_SESSION_ID");
    // Programs the desktop starts through the user's service manager (GNOME's login programs)
    // do not get the variable: logind names the session, the display session for those.
    if (session.isEmpty()) {
        DBusQuery logind(QDBusConnection::systemBus(), std::chrono::milliseconds(500));
        session = logind
                      .property(QStringLiteral("org.freedesktop.login1"),               // service
                                QStringLiteral("/org/freedesktop/login1/session/auto"), // path
                                QStringLiteral("org.freedesktop.login1.Session"),       // interface
                                QStringLiteral("Id"), QMetaType::QString)
                      .value_or(QString())
                      .toString();
    }
    // Trimmed as the file's line is read back, also when no session is named.
    return (firstLine(m_bootIdPath) + u' ' + session).trimmed();
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
            // A write that failed makes the commit fail too.
            if (file.open(QIODevice::WriteOnly))
                file.write((login + u'\n').toUtf8());
            if (!file.commit())
                Log::error(QStringLiteral("No se ha podido guardar ") + marker +
                           QStringLiteral(": ") + file.errorString());
        });
}

} // namespace tisko
