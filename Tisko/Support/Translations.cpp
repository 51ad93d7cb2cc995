// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/Translations.h"

#include "Tisko/Support/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

#include <memory>

// The built-in catalogues live in a static library: ask for them by name.
static void loadBuiltInCatalogues() {
    Q_INIT_RESOURCE(translations);
}

namespace tisko {

namespace {

const QString source = QStringLiteral("es");
const QString fallback = QStringLiteral("en");
const QString prefix = QStringLiteral("tisko_");

// The catalogues installed last (Tisko's, Qt's), taken out again when another language is
// installed. The application owns them.
QPointer<QTranslator>& installed(int which) {
    static QPointer<QTranslator> translators[2];
    return translators[which];
}

void replace(int which, std::unique_ptr<QTranslator> translator) {
    delete installed(which).data();
    if (translator) {
        translator->setParent(QCoreApplication::instance());
        QCoreApplication::installTranslator(translator.get());
    }
    installed(which) = translator.release();
}

// The catalogue `name` (without ".qm") in `folder`; none when it is missing or damaged.
std::unique_ptr<QTranslator> catalogue(const QString& name, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, folder))
        return nullptr;
    return translator;
}

// Dates and numbers in the chosen language, written as the user's region writes them: English
// in Germany has its 24-hour clock, English with no region at all the American one.
void followLocale(const QString& language) {
    const QLocale system = QLocale::system();
    const QLocale wanted(language);
    if (system.language() == wanted.language())
        QLocale::setDefault(system);
    else
        QLocale::setDefault(QLocale(wanted.language(), system.territory()));
}

} // namespace

QString Translations::builtInFolder() {
    loadBuiltInCatalogues();
    return QStringLiteral(":/tisko/translations");
}

QStringList Translations::available(const QString& folder) {
    QStringList languages{source};
    const QStringList files =
        QDir(folder).entryList({prefix + QStringLiteral("*.qm")}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        languages << file.mid(prefix.size()).chopped(3);
    return languages;
}

QString Translations::choose(const QStringList& uiLanguages, const QStringList& available) {
    for (QString wanted : uiLanguages) {
        wanted.replace(u'-', u'_');
        for (const QString& language : available)
            if (language.compare(wanted, Qt::CaseInsensitive) == 0)
                return language;
        const QString alone = wanted.section(u'_', 0, 0).toLower();
        if (available.contains(alone))
            return alone;
    }
    return fallback;
}

Translations::Outcome Translations::install(const QStringList& uiLanguages, const QString& folder,
                                            const QString& qtFolder) {
    Outcome outcome{choose(uiLanguages, available(folder)), {}};
    std::unique_ptr<QTranslator> own;
    if (outcome.language != source) {
        own = catalogue(prefix + outcome.language, folder);
        if (!own) {
            outcome.problem = QStringLiteral("No se ha podido cargar la traducción ") +
                              QDir(folder).filePath(prefix + outcome.language) +
                              QStringLiteral(".qm: Tisko sigue en español");
            outcome.language = source;
        }
    }
    replace(0, std::move(own));

    // Qt writes its own texts in English; every other language needs its catalogue.
    std::unique_ptr<QTranslator> qt;
    if (outcome.language != fallback) {
        const QString where =
            qtFolder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : qtFolder;
        const QString name = QStringLiteral("qtbase_") + outcome.language;
        qt = catalogue(name, where);
        if (!qt && outcome.problem.isEmpty())
            outcome.problem = QStringLiteral("No encuentro la traducción de Qt ") + name +
                              QStringLiteral(" en ") + where +
                              QStringLiteral(": sus diálogos quedan en inglés");
    }
    replace(1, std::move(qt));
    followLocale(outcome.language);
    return outcome;
}

QString Translations::installForUser() {
    const Outcome outcome = install(QLocale::system().uiLanguages());
    if (!outcome.problem.isEmpty())
        Log::info(outcome.problem);
    return outcome.language;
}

} // namespace tisko
