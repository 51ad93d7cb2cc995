// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

namespace tisko {

// Tisko in the user's language. Its texts are written in Spanish; every other language is a
// catalogue "tisko_<language>.qm" built from translations/ into Tisko's resources. Qt's own texts
// (file dialog, the text fields' menu) and the dates and numbers follow the same choice. The log,
// the CSV columns and every stored key stay Spanish whatever is chosen: they are records and
// file formats, not conversation.
class Translations {
public:
    // What `install` did: the language Tisko now speaks ("es", "en", …) and, when something
    // went wrong on the way, one Spanish line for the log that names the file.
    struct Outcome {
        QString language;
        QString problem;
    };

    // Where the built-in catalogues are.
    static QString builtInFolder();

    // The languages Tisko speaks: Spanish, in which it is written, and one for each catalogue
    // in `folder`.
    static QStringList available(const QString& folder = builtInFolder());

    // The first of the user's languages (most wanted first, as QLocale::uiLanguages gives them:
    // "pt-BR", "de", "C") that Tisko speaks, by its full name or by its language alone; English,
    // which most people on a Linux desktop can read, when none is.
    static QString choose(const QStringList& uiLanguages, const QStringList& available);

    // Chooses for these `uiLanguages` and installs Tisko's catalogue and Qt's on the running
    // application (a QCoreApplication must exist), and makes the language's locale, in the
    // user's region, the default for dates and numbers. A catalogue of Tisko that cannot be
    // loaded leaves Tisko in Spanish; one of Qt's that is missing leaves Qt's texts in English.
    // `qtFolder` empty means Qt's own translations folder.
    static Outcome install(const QStringList& uiLanguages, const QString& folder = builtInFolder(),
                           const QString& qtFolder = {});
    // The same for the user's own languages, with any problem written to the log.
    static QString installForUser();
};

} // namespace tisko
