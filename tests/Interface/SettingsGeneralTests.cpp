// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The general page: the tray icon switch, today's counts, the updates section and the
// export of the daily counts.
#include "SettingsFixture.h"

#include "FileModes.h"
#include "LoggedLines.h"
#include "TestFiles.h"

#include "Tisko/Interface/GeneralModel.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"

#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tisko::test {
namespace {

struct General : SettingsFixture {
    General() { open(SettingsTab::general); }
    // Clicks "Exportar CSV…" and saves as `path`, confirming the replacement of a file.
    QString exportTo(const QString& path) {
        QString proposed;
        whenModal<QFileDialog>(window.get(), [&](QFileDialog* dialog) {
            proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
            whenModal<QMessageBox>(
                dialog, [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept(); // as the Save button does
        });
        QTest::mouseClick(button(QStringLiteral("Exportar CSV…")), Qt::LeftButton);
        return proposed;
    }
};

const QByteArray header = "fecha,avisos,demasiado_cerca,encorvado,comprobaciones,"
                          "comprobaciones_mal\n";

TEST(SettingsGeneral, theSwitchesShowWhatTheSystemHasAndTheFooterFollows) {
    General h;
    QAbstractButton* icon = h.button(QStringLiteral("Mostrar el icono en la bandeja del sistema"));
    ASSERT_TRUE(icon && icon->isChecked());
    const QString hidden = QStringLiteral("Sin icono, Tisko sigue mirando. Para volver aquí, abre "
                                          "Tisko otra vez desde el menú de aplicaciones: se "
                                          "muestra en una ventana.");
    EXPECT_TRUE(h.shown<QLabel>(h.window.get(), hidden).empty());
    QTest::keyClick(icon, Qt::Key_Space);
    EXPECT_FALSE(SettingsStore::showsMenuBarIcon());
    EXPECT_EQ(h.shown<QLabel>(h.window.get(), hidden).size(), 1u);
    EXPECT_EQ(h.shown<QLabel>(h.window.get(), QStringLiteral("0 avisos · 0 comprobaciones")).size(),
              1u);

    QAbstractButton* login = h.button(QStringLiteral("Abrir Tisko al iniciar sesión"));
    ASSERT_TRUE(login && !login->isChecked());
    QTest::keyClick(login, Qt::Key_Space);
    EXPECT_TRUE(h.platform.login && login->isChecked());
    QTest::keyClick(login, Qt::Key_Space);
    h.platform.refusesLogin = true;
    QTest::keyClick(login, Qt::Key_Space);
    EXPECT_FALSE(login->isChecked()) << "a refused change shows the entry still off";
}

TEST(SettingsGeneral, todayCountsAgreeInNumber) {
    DailyTally::Day day("2026-03-02");
    day.tooClose = day.checks = 1;
    EXPECT_EQ(GeneralModel::todayLine(day), QStringLiteral("1 aviso · 1 comprobación"));
    day.slouching = day.checks = 12;
    EXPECT_EQ(GeneralModel::todayLine(day), QStringLiteral("13 avisos · 12 comprobaciones"));
}

TEST(SettingsGeneral, onlyABuildWithAFeedOffersToLookForUpdates) {
    const QString fromTheSystem =
        QStringLiteral("Esta copia de Tisko no busca actualizaciones; las recibe con el sistema.");
    for (const bool feed : {false, true}) {
        SettingsFixture h;
        h.platform.feed = feed;
        h.open(SettingsTab::general);
        EXPECT_EQ(h.shown<QLabel>(h.window.get(), fromTheSystem).size(), feed ? 0u : 1u);
        QAbstractButton* check = h.button(QStringLiteral("Buscar actualizaciones"));
        ASSERT_EQ(check != nullptr, feed);
        if (check)
            QTest::mouseClick(check, Qt::LeftButton);
        EXPECT_EQ(h.platform.checks, feed ? 1 : 0);

        SettingsStore::setUpdateFeedURL(feed ? QStringLiteral("https://tisko.example/feed.xml")
                                             : QString());
        MenuBarLabel label(h.monitor());
        const auto menu = label.makeMenu();
        QStringList items;
        for (const QAction* action : menu->actions())
            items << action->text();
        EXPECT_EQ(items.contains(QStringLiteral("Buscar actualizaciones…")), feed) << feed;
    }
}

TEST(SettingsGeneral, anExportWritesTheCsvAndAFailedOneKeepsTheEarlierFile) {
    General h;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("recuento.csv"));
    EXPECT_EQ(h.exportTo(path), QStringLiteral("Tisko recuento.csv"));
    EXPECT_EQ(readFile(path), header) << "an empty tally: the header only";

    writeFile(path, "antes\n");
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    {
        const FileModesApply modes;
        h.exportTo(path);
    }
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readFile(path), "antes\n");
    Log::flush();
    const QStringList errors = loggedErrors();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().startsWith(QStringLiteral("Exportar: ")))
        << errors.first().toStdString();
}

TEST(SettingsGeneral, anExportNeverWritesThroughALinkOrIntoAnotherUsersOpenFolder) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    General h;
    QTemporaryDir shared; // as /tmp: everybody may write, the sticky bit keeps names apart
    ::chmod(QFile::encodeName(shared.path()).constData(), 01777);
    const QString bashrc = QDir::homePath() + QStringLiteral("/.bashrc");
    writeFile(bashrc, "alias ls='ls -F'\n");
    const QString planted = shared.filePath(QStringLiteral("b.csv"));
    const QString theirs = shared.filePath(QStringLiteral("suya"));
    // The user nobody plants the link, and makes a folder of its own that anyone may write.
    // The child of a threaded process makes system calls only: nothing that allocates.
    const QByteArray target = QFile::encodeName(bashrc), link = QFile::encodeName(planted),
                     folder = QFile::encodeName(theirs);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool done = ::setgid(65534) == 0 && ::setuid(65534) == 0 &&
                          ::symlink(target.constData(), link.constData()) == 0 &&
                          ::mkdir(folder.constData(), 0777) == 0 &&
                          ::chmod(folder.constData(), 0777) == 0;
        ::_exit(done ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);

    for (const QString& path : {planted, theirs + QStringLiteral("/recuento.csv")}) {
        const qsizetype before = loggedErrors().size();
        h.exportTo(path);
        Log::flush();
        const QStringList errors = loggedErrors().mid(before);
        ASSERT_EQ(errors.size(), 1) << path.toStdString();
        EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Exportar: "))) << errors[0].toStdString();
        const std::vector<QMessageBox*> told = h.shown<QMessageBox>(h.window.get());
        ASSERT_EQ(told.size(), 1u) << "the window says why";
        told[0]->close();
    }
    EXPECT_EQ(readFile(bashrc), "alias ls='ls -F'\n");
    EXPECT_TRUE(QFileInfo(planted).isSymLink());
    EXPECT_FALSE(QFile::exists(theirs + QStringLiteral("/recuento.csv")));
}

} // namespace
} // namespace tisko::test
