// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Which language Tisko speaks, and what a catalogue that cannot be read leaves behind.
#include "EventLoop.h"
#include "TestFiles.h"

#include "Tisko/Support/Translations.h"

#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

TEST(Translations, theFirstOfTheUsersLanguagesThatTiskoHasWinsAndEnglishWhenNoneIs) {
    const QStringList has{u"es"_qs, u"en"_qs, u"pt_BR"_qs};
    const std::pair<QString, QString> cases[] = {{u"es-MX,es"_qs, u"es"_qs},
                                                 {u"en-GB,en,es"_qs, u"en"_qs},
                                                 {u"de-DE,de,es-ES"_qs, u"es"_qs},
                                                 {u"de-DE,de"_qs, u"en"_qs},
                                                 {u"C"_qs, u"en"_qs},
                                                 {u"PT-br"_qs, u"pt_BR"_qs},
                                                 {u"pt-PT,pt,es"_qs, u"es"_qs}};
    for (const auto& [wanted, chosen] : cases)
        EXPECT_EQ(Translations::choose(wanted.split(u','), has), chosen) << wanted.toStdString();
    EXPECT_EQ(Translations::available(), (QStringList{u"es"_qs, u"en"_qs}));
}

TEST(Translations, aCatalogueThatCannotBeReadLeavesTiskoInSpanishAndSaysWhichFile) {
    application();
    const auto texts = [] {
        return QCoreApplication::translate("PanelModel", "Pausar 1 hora") + u'|' +
               QCoreApplication::translate("QPlatformTheme", "Cancel");
    };
    Translations::Outcome outcome = Translations::install({u"en-US"_qs});
    EXPECT_EQ(outcome.language + outcome.problem, u"en"_qs);
    EXPECT_EQ(texts(), u"Pause for 1 hour|Cancel"_qs);
    EXPECT_EQ(QLocale().language(), QLocale::English);

    const QTemporaryDir damaged, empty;
    ASSERT_TRUE(writeFile(damaged.filePath(u"tisko_en.qm"_qs), "not a catalogue"));
    for (const QString& folder : {damaged.path(), empty.path()}) {
        outcome = Translations::install({u"en-US"_qs}, folder);
        EXPECT_EQ(outcome.language, u"es"_qs);
        EXPECT_TRUE(outcome.problem.contains(folder + u"/tisko_en.qm"_qs));
        EXPECT_EQ(texts(), u"Pausar 1 hora|Cancelar"_qs) << "the earlier catalogue is taken out";
        EXPECT_EQ(QLocale().language(), QLocale::Spanish);
    }
    EXPECT_EQ(Translations::install({u"es-ES"_qs}).problem, QString());
    // Spanish without Qt's catalogue: Qt's texts stay English, and the line names that file.
    outcome = Translations::install({u"es-ES"_qs}, Translations::builtInFolder(), empty.path());
    EXPECT_TRUE(outcome.problem.contains(u"qtbase_es"_qs) && texts() == u"Pausar 1 hora|Cancel"_qs);
}

} // namespace
} // namespace tisko::test
