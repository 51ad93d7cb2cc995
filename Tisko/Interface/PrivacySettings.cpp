// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/PrivacySettings.h"

#include "Tisko/Camera/Cameras.h"
#include "Tisko/System/Permissions.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QStandardPaths>

namespace tisko {

const char* privacyHelpText(PrivacyPane pane) {
    switch (pane) {
    case PrivacyPane::camera:
        return QT_TRANSLATE_NOOP(
            "PrivacySettings",
            "Quien se sienta ante el ordenador ya tiene la cámara: el sistema se la da al "
            "entrar en la sesión, sin hacer nada más. Si Tisko no puede abrirla, lo más "
            "probable es que sea una sesión remota o sin pantalla propia. Solo para esas "
            "sesiones hace falta el grupo «video», que abre la cámara a todas las sesiones de "
            "tu usuario, también las remotas:\n\n    %1\n\n"
            "Después cierra la sesión y vuelve a entrar.");
    case PrivacyPane::motion:
        return QT_TRANSLATE_NOOP(
            "PrivacySettings",
            "Tisko escucha al seguidor de cabeza en el puerto UDP 4242 de este ordenador "
            "(127.0.0.1). Configura tu seguidor para que envíe su posición como opentrack "
            "(«UDP over network») a ese puerto, y cierra cualquier otro programa que lo esté "
            "usando.");
    case PrivacyPane::notifications:
        return QT_TRANSLATE_NOOP(
            "PrivacySettings",
            "Tisko avisa con las notificaciones del escritorio. Actívalas para Tisko en la "
            "configuración de notificaciones de tu escritorio y comprueba que el modo «No "
            "molestar» está apagado.");
    }
    return "";
}

QString videoGroupCommand(bool hasSudo, const QString& user) {
    const QString change = QStringLiteral("usermod -aG video ") + user;
    return hasSudo ? QStringLiteral("sudo ") + change : QStringLiteral("su -c '%1'").arg(change);
}

void openPrivacySettings(PrivacyPane pane, QWidget* parent) {
    if (pane == PrivacyPane::notifications && DesktopSettings::openNotifications())
        return;
    const QString title = pane == PrivacyPane::camera
                              ? QCoreApplication::translate("PrivacySettings", "Cámara")
                          : pane == PrivacyPane::motion
                              ? QCoreApplication::translate("PrivacySettings", "Seguidor de cabeza")
                              : QCoreApplication::translate("PrivacySettings", "Notificaciones");
    // With no camera at all, plugging one in comes before any permission.
    const QString first =
        pane == PrivacyPane::camera && !Cameras::device(std::nullopt)
            ? QCoreApplication::translate("PrivacySettings",
                                          "Conecta una cámara: Tisko no encuentra ninguna.") +
                  QStringLiteral("\n\n")
            : QString();
    // The README's "Permissions" section says more; the package installs it.
    QString help = QCoreApplication::translate("PrivacySettings", privacyHelpText(pane));
    if (pane == PrivacyPane::camera)
        help = help.arg(
            videoGroupCommand(!QStandardPaths::findExecutable(QStringLiteral("sudo")).isEmpty(),
                              qEnvironmentVariable("USER", QStringLiteral("$USER"))));
    const QString text = help + QStringLiteral("\n\n") +
                         QCoreApplication::translate(
                             "PrivacySettings", "Más detalles en la sección «Permissions» de %1.")
                             .arg(QStringLiteral("/usr/share/doc/tisko/README.md"));
    auto* box =
        new QMessageBox(QMessageBox::Information, title, first + text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAccessibleName(title);
    box->open();
}

} // namespace tisko
