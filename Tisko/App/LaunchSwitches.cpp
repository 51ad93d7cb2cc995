// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/App/LaunchSwitches.h"

#include <QCoreApplication>

#include <cmath>

namespace tisko {

namespace {

// Every switch Tisko knows: its names, the items it takes (`required` always, up to
// `optional` more when they do not start with "--") and its line in the usage. The items'
// names and the lines are shown in the user's language.
struct Switch {
    const char* names;
    const char* items;
    int required;
    int optional;
    const char* help;
};

constexpr Switch knownSwitches[] = {
    {"--check", "", 0, 0,
     QT_TRANSLATE_NOOP("LaunchSwitches",
                       "una mirada ahora (la hace el Tisko en marcha, si lo hay)")},
    {"--pause", QT_TRANSLATE_NOOP("LaunchSwitches", "MINUTOS|tomorrow"), 1, 0,
     QT_TRANSLATE_NOOP("LaunchSwitches",
                       "pausa Tisko esos minutos (de 1 a 1440) o hasta mañana (también el Tisko en "
                       "marcha)")},
    {"--resume", "", 0, 0,
     QT_TRANSLATE_NOOP("LaunchSwitches", "vuelve a vigilar (también el Tisko en marcha)")},
    {"--show-settings", QT_TRANSLATE_NOOP("LaunchSwitches", "[PESTAÑA]"), 0, 1,
     QT_TRANSLATE_NOOP("LaunchSwitches",
                       "abre los ajustes en esa pestaña: general, detection, positions o "
                       "permissions")},
    {"--autostart", "", 0, 0,
     QT_TRANSLATE_NOOP("LaunchSwitches",
                       "el arranque al iniciar la sesión: no abre ninguna ventana que no haga "
                       "falta")},
    {"--look", QT_TRANSLATE_NOOP("LaunchSwitches", "ARCHIVO"), 1, 0,
     QT_TRANSLATE_NOOP("LaunchSwitches", "una mirada; sus medidas van a ARCHIVO")},
    {"--hold", QT_TRANSLATE_NOOP("LaunchSwitches", "SEGUNDOS ARCHIVO [ANCHO]"), 2, 1,
     QT_TRANSLATE_NOOP("LaunchSwitches",
                       "mantiene la cámara abierta y escribe una línea por segundo; ANCHO fuerza "
                       "el ancho de la imagen, en píxeles")},
    {"--render-windows", QT_TRANSLATE_NOOP("LaunchSwitches", "CARPETA"), 1, 0,
     QT_TRANSLATE_NOOP("LaunchSwitches",
                       "dibuja fuera de pantalla el panel, los ajustes, la ventana de grabación y "
                       "el icono")},
    {"--make-model-copy", QT_TRANSLATE_NOOP("LaunchSwitches", "CARPETA"), 1, 0,
     QT_TRANSLATE_NOOP("LaunchSwitches",
                       "hace en CARPETA la copia del modelo de rasgos faciales que comparten "
                       "todos los usuarios (la hace el paquete)")},
    {"-h, --help", "", 0, 0, QT_TRANSLATE_NOOP("LaunchSwitches", "muestra esta ayuda y termina")},
    {"--version", "", 0, 0, QT_TRANSLATE_NOOP("LaunchSwitches", "muestra la versión y termina")},
};

constexpr const char* environmentHelp[][2] = {
    {QT_TRANSLATE_NOOP("LaunchSwitches", "TISKO_CAMERAS=RUTA[:RUTA…]"),
     QT_TRANSLATE_NOOP("LaunchSwitches",
                       "añade cámaras de muestra que reproducen imágenes (un archivo o una "
                       "carpeta)")},
    {"TISKO_CAMERA_SHARED=1",
     QT_TRANSLATE_NOOP("LaunchSwitches", "las cámaras de muestra dicen que otro programa las usa")},
    {"TISKO_TRAY_WAIT_MS=MS",
     QT_TRANSLATE_NOOP("LaunchSwitches",
                       "cuánto espera al arrancar a la bandeja del sistema (5000 por omisión)")},
};

QString translated(const char* text) {
    return QCoreApplication::translate("LaunchSwitches", text);
}

const Switch* switchNamed(const QString& argument) {
    for (const Switch& known : knownSwitches) {
        const QStringList names = QString::fromUtf8(known.names).split(QStringLiteral(", "));
        if (names.contains(argument))
            return &known;
    }
    return nullptr;
}

// The arguments outside every known switch and its items.
QStringList ignoredArguments(const QStringList& arguments) {
    QStringList ignored;
    for (qsizetype at = 1; at < arguments.size(); ++at) {
        const Switch* known = switchNamed(arguments[at]);
        if (!known) {
            ignored << arguments[at];
            continue;
        }
        at += known->required;
        for (int extra = 0; extra < known->optional && at + 1 < arguments.size() &&
                            !arguments[at + 1].startsWith(QStringLiteral("--"));
             ++extra)
            ++at;
    }
    return ignored;
}

// The items right after the first occurrence of `name`; absent when the switch is not there.
std::optional<QStringList> itemsAfter(const QStringList& arguments, const QString& name) {
    const qsizetype at = arguments.indexOf(name);
    if (at < 0)
        return std::nullopt;
    return arguments.mid(at + 1);
}

// "--hold SECONDS FILE [WIDTH]", its items given.
LaunchSwitches holdSwitch(const QStringList& items) {
    LaunchSwitches result;
    result.kind = LaunchSwitches::Kind::hold;
    bool ok = false;
    const double seconds = items.at(0).toDouble(&ok);
    // A hold of "nan" or "inf" seconds would never end.
    result.seconds = ok && std::isfinite(seconds) ? seconds : 10;
    result.path = items.at(1);
    if (items.size() >= 3) {
        const int width = items.at(2).toInt(&ok);
        if (ok)
            result.width = width;
    }
    return result;
}

// "--pause MINUTES" or "--pause tomorrow"; anything else is an invalid switch, named in `path`.
LaunchSwitches pauseSwitch(const QString& item) {
    LaunchSwitches result;
    result.kind = LaunchSwitches::Kind::pause;
    if (item == QStringLiteral("tomorrow"))
        return result;
    bool ok = false;
    const uint minutes = item.toUInt(&ok);
    if (ok && minutes >= 1 && minutes <= 24 * 60) {
        result.pauseMinutes = minutes;
    } else {
        result.kind = LaunchSwitches::Kind::invalid;
        result.path = item;
    }
    return result;
}

LaunchSwitches scanKind(const QStringList& arguments) {
    using Kind = LaunchSwitches::Kind;
    LaunchSwitches result;
    const QStringList given = arguments.mid(1);
    if (given.contains(QStringLiteral("--help")) || given.contains(QStringLiteral("-h"))) {
        result.kind = Kind::help;
        return result;
    }
    if (given.contains(QStringLiteral("--version"))) {
        result.kind = Kind::version;
        return result;
    }
    if (const auto items = itemsAfter(arguments, QStringLiteral("--show-settings"))) {
        result.kind = Kind::showSettings;
        if (!items->isEmpty())
            result.tab = items->first();
        return result;
    }
    if (const auto items = itemsAfter(arguments, QStringLiteral("--look"));
        items && !items->isEmpty()) {
        result.kind = Kind::look;
        result.path = items->first();
        return result;
    }
    if (const auto items = itemsAfter(arguments, QStringLiteral("--hold"));
        items && items->size() >= 2)
        return holdSwitch(*items);
    if (arguments.contains(QStringLiteral("--check"))) {
        result.kind = Kind::check;
        return result;
    }
    if (const auto items = itemsAfter(arguments, QStringLiteral("--pause")))
        return pauseSwitch(items->value(0));
    if (arguments.contains(QStringLiteral("--resume"))) {
        result.kind = Kind::resume;
        return result;
    }
    if (const auto items = itemsAfter(arguments, QStringLiteral("--render-windows"));
        items && !items->isEmpty()) {
        result.kind = Kind::renderWindows;
        result.path = items->first();
        return result;
    }
    if (const auto items = itemsAfter(arguments, QStringLiteral("--make-model-copy"));
        items && !items->isEmpty()) {
        result.kind = Kind::makeModelCopy;
        result.path = items->first();
        return result;
    }
    return result;
}

} // namespace

LaunchSwitches LaunchSwitches::scan(const QStringList& arguments) {
    LaunchSwitches result = scanKind(arguments);
    result.ignored = ignoredArguments(arguments);
    result.autostart = arguments.contains(QStringLiteral("--autostart"));
    return result;
}

QString LaunchSwitches::usage() {
    // The name in a first column, its words wrapped beside it within 80 characters.
    const auto column = [](const QString& left, const QString& right) {
        constexpr qsizetype indent = 34;
        constexpr qsizetype lineWidth = 79;
        QString text = QStringLiteral("  ") + left;
        qsizetype lineStart = 0;
        if (text.size() >= indent - 1) {
            text += u'\n';
            lineStart = text.size();
        }
        text += QString(indent - (text.size() - lineStart), u' ');
        bool first = true;
        for (const QString& word : right.split(u' ')) {
            if (!first && text.size() - lineStart + 1 + word.size() > lineWidth) {
                text += u'\n';
                lineStart = text.size();
                text += QString(indent, u' ');
            } else if (!first) {
                text += u' ';
            }
            text += word;
            first = false;
        }
        return text + u'\n';
    };
    QString text = QCoreApplication::translate(
        "LaunchSwitches",
        "Uso: tisko [OPCIÓN]\n"
        "Vigila la postura desde la bandeja del sistema. Sin opciones arranca Tisko, o\n"
        "muestra el que ya está en marcha.\n\n"
        "Opciones:\n");
    for (const Switch& known : knownSwitches) {
        QString left = QString::fromUtf8(known.names);
        if (*known.items != '\0')
            left += u' ' + translated(known.items);
        text += column(left, translated(known.help));
    }
    text += QCoreApplication::translate("LaunchSwitches", "\nVariables de entorno:\n");
    for (const auto& [name, help] : environmentHelp)
        text += column(translated(name), translated(help));
    return text;
}

QString LaunchSwitches::versionLine() {
    return QStringLiteral("tisko " TISKO_VERSION "\n");
}

QString LaunchSwitches::invalidPauseLine(const QString& item) {
    return QCoreApplication::translate("LaunchSwitches",
                                       "tisko: «%1» no es una pausa: --pause quiere de 1 a 1440 "
                                       "minutos, o tomorrow\n")
        .arg(item);
}

QString LaunchSwitches::ignoredLine(const QString& argument) {
    return QCoreApplication::translate("LaunchSwitches",
                                       "tisko: se ignora «%1»; tisko --help enumera las opciones\n")
        .arg(argument);
}

QString LaunchSwitches::noDisplayLine() {
    return QCoreApplication::translate(
               "LaunchSwitches",
               "tisko: no hay pantalla (ni DISPLAY ni WAYLAND_DISPLAY) y Tisko vive en el "
               "escritorio; sin pantalla se puede mirar una vez con «tisko --look ARCHIVO»") +
           u'\n';
}

} // namespace tisko
