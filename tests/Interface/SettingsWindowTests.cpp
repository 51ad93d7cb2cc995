// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The settings window: its toolbar and the height of each page; light and dark, from the
// desktop's preference through the settings portal; the general page (the tray icon switch,
// today's counts, the updates section, the export of the daily counts); the warnings page,
// whose pickers keep stored values and take effect at once.
#include "SettingsFixture.h"

#include "DBusMockCall.h"
#include "EventLoop.h"
#include "FileModes.h"
#include "LoggedLines.h"
#include "NotificationTestServers.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/Camera/Cameras.h"
#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/PrivacySettings.h"
#include "Tisko/Interface/GeneralModel.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/PermissionsModel.h"
#include "Tisko/Interface/SettingsToolbar.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"

#include <QAccessible>
#include <QComboBox>
#include <QDBusMessage>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tisko::test {
namespace {

TEST(SettingsToolbar, resizedFrameKeepsTheTopEdgeAndIgnoresHalfAPoint) {
    const QRectF frame(30, 80, 660, 400);
    EXPECT_FALSE(SettingsToolbar::resizedFrame(frame, 400.5));
    EXPECT_FALSE(SettingsToolbar::resizedFrame(frame, 399.5));
    EXPECT_EQ(SettingsToolbar::resizedFrame(frame, 400.6), QRectF(30, 80, 660, 400.6));
    EXPECT_EQ(SettingsToolbar::resizedFrame(frame, 370), QRectF(30, 80, 660, 370));
}

TEST(SettingsWindow, eachPageHasItsHeightAndTheTopEdgeStays) {
    SettingsFixture h;
    SettingsWindow& window = h.open(SettingsTab::detection);
    EXPECT_TRUE(waitUntil([&] {
        return window.centralWidget()->size() ==
               QSize(660, SettingsToolbar::contentHeight(SettingsTab::detection));
    }));
    window.move(40, 90);
    const int top = window.geometry().top();

    auto* toolbar = window.findChild<QToolBar*>(QStringLiteral("settings"));
    ASSERT_TRUE(toolbar);
    EXPECT_FALSE(toolbar->isMovable());
    EXPECT_EQ(window.createPopupMenu(), nullptr) << "the toolbar cannot be customised";
    auto* tabs = toolbar->findChild<QTabBar*>();
    ASSERT_TRUE(tabs);

    // The pointer, the page shortcuts and a page chosen as assistive technology does.
    auto* stack = window.findChild<QStackedWidget*>();
    const std::pair<std::function<void()>, SettingsTab> choices[] = {
        {[&] { QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center()); },
         SettingsTab::permissions},
        {[&] { QTest::keyClick(&window, Qt::Key_Tab, Qt::ControlModifier); }, SettingsTab::general},
        {[&] { QTest::keyClick(&window, Qt::Key_PageUp, Qt::ControlModifier); },
         SettingsTab::permissions},
        {[&] { QTest::keyClick(&window, Qt::Key_3, Qt::AltModifier); }, SettingsTab::positions},
        {[&] {
             QAccessibleInterface* page = QAccessible::queryAccessibleInterface(tabs)->child(1);
             page->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
         },
         SettingsTab::detection},
    };
    for (const auto& [choose, tab] : choices) {
        choose();
        const int height = SettingsToolbar::contentHeight(tab);
        EXPECT_EQ(h.tabs.tab(), tab);
        EXPECT_EQ(stack->currentIndex(), static_cast<int>(tab));
        EXPECT_TRUE(waitUntil([&] { return window.centralWidget()->height() == height; }))
            << rawValue(tab).toStdString();
        EXPECT_EQ(window.geometry().top(), top) << rawValue(tab).toStdString();
    }
}

TEST(SettingsPermissions, allowWithoutACameraSaysToConnectOne) {
    if (Cameras::device(std::nullopt))
        GTEST_SKIP() << "this machine has a camera";
    SettingsFixture h;
    h.open(SettingsTab::permissions);
    // The camera's row is built first.
    const std::vector<QPushButton*> allow =
        h.shown<QPushButton>(h.window.get(), QStringLiteral("Permitir"));
    ASSERT_FALSE(allow.empty());
    QTest::mouseClick(allow.front(), Qt::LeftButton);
    const auto boxes = h.window->findChildren<QMessageBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.front()->text().startsWith(QStringLiteral("Conecta una cámara")));
    EXPECT_TRUE(boxes.front()->text().contains(QStringLiteral("usermod -aG video ")));
    boxes.front()->close();
    // The group for sessions away from the seat, through sudo only where there is one.
    EXPECT_EQ(videoGroupCommand(true, u"ana"_qs), u"sudo usermod -aG video ana"_qs);
    EXPECT_EQ(videoGroupCommand(false, u"ana"_qs), u"su -c 'usermod -aG video ana'"_qs);
}

TEST(SettingsPermissions, notificationsSayConcedidoOnlyWhenAWarningWouldShow) {
    using Badge = PermissionsModel::Badge;
    for (const auto& [reach, badge] : {std::pair{NotificationReach::noService, Badge::noService},
                                       {NotificationReach::silenced, Badge::silenced},
                                       {NotificationReach::denied, Badge::denied},
                                       {NotificationReach::allowed, Badge::granted},
                                       {NotificationReach::unknown, Badge::granted}})
        EXPECT_EQ(PermissionsModel::notificationRow(PermissionState::granted, reach).badge, badge)
            << int(reach);
}

// The brightest pixel of every page tab's icon, unselected ones included.
int brightestIcon(const QTabBar& tabs) {
    int least = 255;
    for (int i = 0; i < tabs.count(); ++i) {
        const QImage image = tabs.tabIcon(i).pixmap(24, QIcon::Normal, QIcon::Off).toImage();
        int most = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).alpha() > 128)
                    most = std::max(most, image.pixelColor(x, y).lightness());
        least = std::min(least, most);
    }
    return least;
}

// The scheme follows the portal, and the settings window's icons follow the scheme live.
TEST(AppearanceTest, followsThePortalWithoutWaitingForItAndRepaintsOnChange) {
    const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
    const QString settings = QStringLiteral("org.freedesktop.portal.Settings");
    SettingsFixture h;
    Appearance::apply(ColorScheme::light);
    const QTabBar& tabs = *h.open(SettingsTab::general).findChild<QTabBar*>();
    ASSERT_LT(brightestIcon(tabs), 100);
    PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());

    QProcess mock;
    mock.setProcessEnvironment(bus.environment());
    mock.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-m"), QStringLiteral("dbusmock"), portal, path, settings});
    ASSERT_TRUE(waitUntil([&] { return bus.owns(portal); }, std::chrono::seconds(15)));
    QDBusConnection client = bus.connect(QStringLiteral("appearance"));
    auto mockCall = [&](const QString& method, const QVariantList& arguments) {
        return test::callDBusMock(client, portal, path, method, arguments).type() ==
               QDBusMessage::ReplyMessage;
    };
    // The portal answers a variant inside a variant.
    ASSERT_TRUE(
        mockCall(QStringLiteral("AddMethod"),
                 {settings, QStringLiteral("Read"), QStringLiteral("ss"), QStringLiteral("v"),
                  QStringLiteral("ret = dbus.UInt32(1, variant_level=2)")}));

    Appearance appearance;
    int changes = 0;
    QObject::connect(&appearance, &Appearance::schemeChanged, [&] { ++changes; });
    appearance.follow(client);
    EXPECT_EQ(appearance.scheme(), ColorScheme::light) << "nothing waits for the portal";
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("fusion"));
    ASSERT_TRUE(waitUntil([&] { return appearance.scheme() == ColorScheme::dark; }));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window),
              Appearance::palette(ColorScheme::dark).color(QPalette::Window));
    EXPECT_TRUE(waitUntil([&] { return brightestIcon(tabs) > 180; }));

    // 2 is "light" ("dark" is 1 only).
    ASSERT_TRUE(mockCall(
        QStringLiteral("EmitSignal"),
        {settings, QStringLiteral("SettingChanged"), QStringLiteral("ssv"),
         QVariantList{QStringLiteral("org.freedesktop.appearance"), QStringLiteral("color-scheme"),
                      QVariant::fromValue(QDBusVariant(2u))}}));
    ASSERT_TRUE(waitUntil([&] { return changes == 2; }));
    EXPECT_EQ(appearance.scheme(), ColorScheme::light);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window),
              Appearance::palette(ColorScheme::light).color(QPalette::Window));
    EXPECT_TRUE(waitUntil([&] { return brightestIcon(tabs) < 100; }));
    endProcess(mock);
}

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
    int histories = 0;
    QObject::connect(h.window.get(), &SettingsWindow::historyRequested, [&] { ++histories; });
    QTest::mouseClick(h.button(QStringLiteral("Ver historial…")), Qt::LeftButton);
    EXPECT_EQ(histories, 1) << "the button opens the history";

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
