// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/LoginItem.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tisko {

namespace {

// A desktop-entry value is one line; a backslash, a space or a quote in the path is escaped
// as the Exec key's quoting rules ask.
QString quotedProgram(const QString& path) {
    QString escaped = path;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\\\""));
    escaped.replace(QLatin1Char('`'), QStringLiteral("\\\\`"));
    escaped.replace(QLatin1Char('$'), QStringLiteral("\\\\$"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// The value of `key` in the [Desktop Entry] group, trimmed; empty when absent.
QString entryValue(const QByteArray& text, const QByteArray& key) {
    bool inGroup = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals > 0 && line.left(equals).trimmed() == key)
            return QString::fromUtf8(line.mid(equals + 1).trimmed());
    }
    return {};
}

} // namespace

QString LoginItem::entryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + QStringLiteral(TISKO_APP_ID) +
           QStringLiteral(".desktop");
}

QString LoginItem::program() {
    return QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath();
}

bool LoginItem::isEnabled() {
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.read(1 << 16);
    return entryValue(text, "Hidden").compare(QStringLiteral("true"), Qt::CaseInsensitive) != 0 &&
           entryValue(text, "X-GNOME-Autostart-enabled")
                   .compare(QStringLiteral("false"), Qt::CaseInsensitive) != 0;
}

void LoginItem::setEnabled(bool enabled) {
    const QString path = entryPath();
    if (!enabled) {
        if (QFile::exists(path) && !QFile::remove(path))
            Log::error(QStringLiteral("Inicio de sesión: no se ha podido borrar %1").arg(path));
        return;
    }
    if (program().contains(QLatin1Char('\n')) || program().contains(QLatin1Char('\r'))) {
        Log::error(QStringLiteral("Inicio de sesión: la ruta del programa tiene saltos de línea"));
        return;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        Log::error(
            QStringLiteral("Inicio de sesión: no se ha podido crear la carpeta de %1").arg(path));
        return;
    }
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Tisko\n"
                                         "Comment=Vigila tu postura con la cámara\n"
                                         "Exec=%1 --autostart\n"
                                         "Icon=%2\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(quotedProgram(program()), QStringLiteral(TISKO_APP_ID));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry.toUtf8()) < 0 || !file.commit())
        Log::error(QStringLiteral("Inicio de sesión: ") + file.errorString());
}

void LoginItem::enableOnFirstRun() {
    if (SettingsStore::loginItemConfigured())
        return;
    SettingsStore::setLoginItemConfigured(true);
    setEnabled(true);
}

} // namespace tisko
