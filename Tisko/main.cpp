// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/App/AppDelegate.h"
#include "Tisko/App/LaunchSwitches.h"
#include "Tisko/Support/Translations.h"

#include <QApplication>
#include <QLocale>

#include <cstdio>
#include <functional>

namespace {

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int main(int argc, char** argv) {
    // --help and --version answer before anything starts: no display, no files.
    QStringList given;
    for (int i = 0; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    const tisko::LaunchSwitches early = tisko::LaunchSwitches::scan(given);
    // An answer that ends the program, in the user's language, still without a display; a
    // catalogue that cannot be read leaves it in Spanish, and there is no log to tell.
    const auto answer = [&](std::FILE* stream, const std::function<QString()>& text, int status) {
        const QCoreApplication core(argc, argv);
        tisko::Translations::install(QLocale::system().uiLanguages());
        print(stream, text());
        return status;
    };
    if (early.kind == tisko::LaunchSwitches::Kind::help)
        return answer(stdout, &tisko::LaunchSwitches::usage, 0);
    if (early.kind == tisko::LaunchSwitches::Kind::invalid)
        return answer(
            stderr, [&] { return tisko::LaunchSwitches::invalidPauseLine(early.path); }, 2);
    if (early.kind == tisko::LaunchSwitches::Kind::makeModelCopy) {
        QString error;
        if (tisko::AppDelegate::makeSharedModelCopy(early.path, &error))
            return 0;
        print(stderr, QStringLiteral("tisko: ") + error + u'\n');
        return 1;
    }
    if (early.kind == tisko::LaunchSwitches::Kind::version) {
        print(stdout, tisko::LaunchSwitches::versionLine());
        return 0;
    }

    // Tisko itself lives on the desktop: without one it starts nothing and writes nothing.
    if (tisko::AppDelegate::lacksDisplay(given))
        return answer(stderr, &tisko::LaunchSwitches::noDisplayLine, 1);

    tisko::AppDelegate::prepareEnvironment();
    QApplication application(argc, argv);
    // The name trays and the desktop show for Tisko's icon (the data folders are named apart).
    QCoreApplication::setApplicationName(QStringLiteral("Tisko"));
    // Lets the desktop match the windows and notifications with the menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(TISKO_APP_ID));
    tisko::Translations::installForUser();
    // Qt has taken its own arguments out by now; what no switch knows is said once each.
    const QStringList arguments = QCoreApplication::arguments();
    for (const QString& ignored : tisko::LaunchSwitches::scan(arguments).ignored)
        print(stderr, tisko::LaunchSwitches::ignoredLine(ignored));
    tisko::AppDelegate delegate(arguments);
    if (const std::optional<int> status = delegate.launch())
        return *status;
    return QApplication::exec();
}
