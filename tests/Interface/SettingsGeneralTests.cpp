// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The general page: the tray icon switch, today's counts, the updates section and the
// export of the daily counts; the warnings page: its pickers keep stored values and take
// effect at once.
#include "SettingsFixture.h"

#include "FileModes.h"
#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/Interface/GeneralModel.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
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

TEST(SettingsGeneral, todayCountsAgreeInNumberAndTheTallysPlaceIsShownFromHome) {
    DailyTally::Day day("2026-03-02");
    day.tooClose = day.checks = 1;
    EXPECT_EQ(GeneralModel::todayLine(day), QStringLiteral("1 aviso · 1 comprobación"));
    day.slouching = day.checks = 12;
    EXPECT_EQ(GeneralModel::todayLine(day), QStringLiteral("13 avisos · 12 comprobaciones"));
    const QString tally = QStringLiteral("/home/ana/.local/share/tisko/recuento.json");
    EXPECT_TRUE(GeneralModel::tallyFooter(tally, QStringLiteral("/home/ana/"))
                    .endsWith(QStringLiteral(" ~/.local/share/tisko/recuento.json.")));
    EXPECT_TRUE(
        GeneralModel::tallyFooter(tally, QStringLiteral("/home/an")).endsWith(tally + u'.'));
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
    writeFile(path, "antes\n");
    EXPECT_EQ(h.exportTo(path), QStringLiteral("Tisko recuento.csv"));
    EXPECT_EQ(readFile(path), header) << "an earlier file is replaced; an empty tally: the header";
    EXPECT_TRUE(h.shown<QMessageBox>(h.window.get()).empty()) << "a success says nothing";

    writeFile(path, "antes\n");
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    {
        const FileModesApply modes;
        h.exportTo(path);
    }
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readFile(path), "antes\n");
    const std::vector<QMessageBox*> told = h.shown<QMessageBox>(h.window.get());
    ASSERT_EQ(told.size(), 1u) << "the window says why";
    told[0]->close();
    Log::flush();
    const QStringList errors = loggedErrors();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().startsWith(QStringLiteral("Exportar: ")))
        << errors.first().toStdString();
}

TEST(SettingsGeneral, anExportNeverWritesThroughALinkOrIntoAnotherUsersOpenFolder) {
    const TempHome home; // the refusals are logged
    QTemporaryDir folder;
    const QString bashrc = folder.filePath(QStringLiteral(".bashrc"));
    writeFile(bashrc, "alias ls='ls -F'\n");
    const QString planted = folder.filePath(QStringLiteral("b.csv"));
    ASSERT_TRUE(QFile::link(bashrc, planted));
    QStringList refused{planted};
    // A folder anyone may write that belongs to somebody else (as /tmp): only root can make
    // one here.
    const QString theirs = folder.filePath(QStringLiteral("suya"));
    if (::geteuid() == 0 && QDir().mkdir(theirs) &&
        ::chown(QFile::encodeName(theirs).constData(), 65534, 65534) == 0 &&
        ::chmod(QFile::encodeName(theirs).constData(), 0777) == 0)
        refused << theirs + QStringLiteral("/recuento.csv");
    for (const QString& path : refused) {
        QString reason;
        EXPECT_FALSE(GeneralModel::exportCsv(DailyTally(), path, &reason)) << path.toStdString();
        EXPECT_FALSE(reason.isEmpty());
    }
    EXPECT_EQ(readFile(bashrc), "alias ls='ls -F'\n");
    EXPECT_FALSE(QFile::exists(theirs + QStringLiteral("/recuento.csv")));
}

// The picker beside the form label `label`.
QComboBox* picker(QWidget* window, const QString& label) {
    for (QFormLayout* form : window->findChildren<QFormLayout*>()) {
        for (QComboBox* box : window->findChildren<QComboBox*>()) {
            auto* name = qobject_cast<QLabel*>(form->labelForField(box));
            if (name && name->text() == label)
                return box;
        }
    }
    return nullptr;
}

// A stored value off the list is shown as itself and kept; a new cool-down applies to the
// warnings of the current run.
TEST(SettingsDetection, pickersKeepStoredValuesAndTakeEffectWithoutEndingTheRun) {
    SettingsFixture h;
    SettingsStore::setInterval(45);
    h.monitor().start();
    h.monitor().saveCalibration(position("Mesa"));
    auto check = [&] {
        h.monitor().look(Monitor::Trigger::manual);
        h.finishLook(faceResult(closeFace()));
        return h.newLogLines().filter(QStringLiteral("Aviso enviado"));
    };
    ASSERT_EQ(check().size(), 1);
    h.clock().advance(600);
    ASSERT_EQ(check().size(), 1) << "the second warning of the run";

    h.open(SettingsTab::detection);
    QComboBox* interval = picker(h.window.get(), QStringLiteral("Mirar cada"));
    QComboBox* cooldown = picker(h.window.get(), QStringLiteral("Como mucho un aviso cada"));
    ASSERT_TRUE(interval && cooldown);
    EXPECT_EQ(interval->count(), 6) << "its own entry, first, as the shortest";
    EXPECT_EQ(interval->currentIndex(), 0);
    EXPECT_EQ(interval->currentText(), QStringLiteral("45 segundos"));
    EXPECT_EQ(interval->itemText(1), QStringLiteral("1 minuto"));
    EXPECT_EQ(cooldown->currentText(), QStringLiteral("10 minutos"));
    QTest::keyClick(cooldown, Qt::Key_End);
    EXPECT_EQ(cooldown->currentText(), QStringLiteral("30 minutos"));
    EXPECT_EQ(SettingsStore::cooldownMinutes(), 30);
    QTest::keyClick(picker(h.window.get(), QStringLiteral("Sensibilidad")), Qt::Key_Down);
    EXPECT_EQ(SettingsStore::sensitivity(), 4);
    EXPECT_EQ(SettingsStore::interval(), 45);
    EXPECT_EQ(h.clockInterval(), 45);
    h.clock().advance(3599);
    EXPECT_TRUE(check().isEmpty()) << "the third warning waits twice the new cool-down";

    // A hand edit of the file shows when the page is shown again.
    QSettings(SettingsStore::filePath(), QSettings::IniFormat)
        .setValue(SettingsStore::intervalKey, 600);
    h.tabs.setTab(SettingsTab::general);
    h.tabs.setTab(SettingsTab::detection);
    EXPECT_EQ(interval->currentText(), QStringLiteral("10 minutos"));
    EXPECT_EQ(interval->count(), 5);
}

} // namespace
} // namespace tisko::test
