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

QString pauseText() {
    return QCoreApplication::translate("PanelModel", "Pausar 1 hora");
}
QString qtCancel() {
    return QCoreApplication::translate("QPlatformTheme", "Cancel");
}

TEST(Translations, theFirstOfTheUsersLanguagesThatTiskoHasWinsAndEnglishWhenNoneIs) {
    const QStringList has{u"es"_qs, u"en"_qs, u"pt_BR"_qs};
    const struct {
        QStringList wanted;
        QString chosen;
    } cases[] = {
        {{u"es-MX"_qs, u"es"_qs}, u"es"_qs},
        {{u"en-GB"_qs, u"en"_qs, u"es"_qs}, u"en"_qs},
        {{u"de-DE"_qs, u"de"_qs, u"es-ES"_qs}, u"es"_qs}, // LANGUAGE=de:es
        {{u"de-DE"_qs, u"de"_qs}, u"en"_qs},
        {{u"C"_qs}, u"en"_qs},
        {{}, u"en"_qs},
        {{u"PT-br"_qs}, u"pt_BR"_qs},
        {{u"pt-PT"_qs, u"pt"_qs, u"es"_qs}, u"es"_qs},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Translations::choose(c.wanted, has), c.chosen)
            << c.wanted.join(u',').toStdString();
    EXPECT_EQ(Translations::available(), (QStringList{u"es"_qs, u"en"_qs}));
}

TEST(Translations, aCatalogueThatCannotBeReadLeavesTiskoInSpanishAndSaysWhichFile) {
    application();
    Translations::Outcome outcome = Translations::install({u"en-US"_qs});
    EXPECT_EQ(outcome.language, u"en"_qs);
    EXPECT_TRUE(outcome.problem.isEmpty()) << outcome.problem.toStdString();
    EXPECT_EQ(pauseText(), u"Pause for 1 hour"_qs);
    EXPECT_EQ(qtCancel(), u"Cancel"_qs);
    EXPECT_EQ(QLocale().language(), QLocale::English);

    const QTemporaryDir damaged;
    const QString file = damaged.filePath(u"tisko_en.qm"_qs);
    ASSERT_TRUE(writeFile(file, "not a catalogue"));
    const QTemporaryDir empty;
    for (const QString& folder : {damaged.path(), empty.path()}) {
        outcome = Translations::install({u"en-US"_qs}, folder);
        EXPECT_EQ(outcome.language, u"es"_qs);
        EXPECT_TRUE(outcome.problem.contains(folder + u"/tisko_en.qm"_qs))
            << outcome.problem.toStdString();
        EXPECT_EQ(pauseText(), u"Pausar 1 hora"_qs) << "the earlier catalogue is taken out";
        EXPECT_EQ(qtCancel(), u"Cancelar"_qs);
        EXPECT_EQ(QLocale().language(), QLocale::Spanish);
    }

    // Spanish without Qt's catalogue: Qt's texts stay English, and the line names that file.
    outcome = Translations::install({u"es-ES"_qs}, Translations::builtInFolder(), empty.path());
    EXPECT_EQ(outcome.language, u"es"_qs);
    EXPECT_TRUE(outcome.problem.contains(u"qtbase_es"_qs)) << outcome.problem.toStdString();
    EXPECT_EQ(qtCancel(), u"Cancel"_qs);
}

} // namespace
} // namespace tisko::test
