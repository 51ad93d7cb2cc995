// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/App/QtTranslations.h"

#include "Tisko/Support/Log.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tisko {

bool QtTranslations::install(const QString& folder) {
    const QString where =
        folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"),
                          QStringLiteral("_"), where)) {
        delete translator;
        Log::info(QStringLiteral("No encuentro la traducción de Qt al español en ") + where +
                  QStringLiteral(": sus diálogos quedan en inglés"));
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace tisko
