// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The tray panel and icon: what they show for each condition of the Monitor, and the panel as a
// widget (choices, closing before leaving, fitting, the keyboard).
#include "Contrast.h"
#include "EventLoop.h"
#include "MonitorHarness.h"

#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/MenuBarPanel.h"
#include "Tisko/Interface/PanelButton.h"
#include "Tisko/Interface/PanelModel.h"
#include "Tisko/System/NotificationStatus.h"

#include <QApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

// 2026-03-02 10:42:00 UTC; the tests run in UTC with the Spanish locale.
const Date monday = Date(std::chrono::seconds(1772448120));

struct PanelModelTest : ::testing::Test {
    void SetUp() override {
        qputenv("TZ", "UTC");
        tzset();
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
        in.state = Monitor::State::watching();
        in.now = monday;
        in.calendar = fixedOffsetCalendar(0);
    }
    PanelInputs in;
};

TEST_F(PanelModelTest, statusPerStateWithItsButton) {
    // The detail (empty: not checked) and whether there is a button, per state.
    const std::tuple<Monitor::State, const char*, bool> cases[] = {
        {Monitor::State::needsCalibration(), "", true},
        {Monitor::State::noCameraPermission(), "", true},
        {Monitor::State::noCamera(), "Con el portátil cerrado y sin cámara externa, Tisko espera.",
         false},
        {Monitor::State::paused(addSeconds(monday, 1800)), "Hasta 11:12.", false},
        {Monitor::State::paused(addSeconds(monday, 86400)), "Hasta 3 mar 10:42.", false},
        {Monitor::State::watching(), "0 avisos hoy", true},
    };
    in.laptop = true;
    QStringList titles;
    for (const auto& [state, detail, button] : cases) {
        in.state = state;
        const PanelContent content = PanelModel::build(in);
        titles << content.status.title;
        if (*detail) {
            EXPECT_EQ(content.status.detail, QString::fromUtf8(detail));
        }
        EXPECT_EQ(content.statusButton.has_value(), button) << detail;
        // Without a position there is no positions section; paused, only "Reanudar".
        EXPECT_TRUE(content.positions.empty());
        EXPECT_EQ(content.pauseRows.size(), state.kind() == Monitor::State::Kind::paused ? 1u : 2u);
    }
    titles.removeDuplicates();
    EXPECT_EQ(titles.size(), 5) << "one title per state, the two pauses alike";
    // A computer without a lid is told nothing about closing one.
    in.laptop = false;
    in.state = Monitor::State::noCamera();
    EXPECT_EQ(PanelModel::build(in).status.detail, QStringLiteral("Sin cámara, Tisko espera."));
}

TEST_F(PanelModelTest, watchingDetailJoinsItsPartsAndCountsWarnings) {
    in.lastCheck = monday;
    in.lastVerdict = PostureVerdict::slouching(0.2);
    in.lastCheckShared = true;
    in.trackerConnected = true;
    in.warningsToday = 1;
    PanelContent content = PanelModel::build(in);
    EXPECT_EQ(content.status.title, QStringLiteral("Encorvado"));
    EXPECT_EQ(content.status.detail,
              QStringLiteral("Última vez 10:42 · cámara compartida · 1 aviso hoy · seguidor de "
                             "cabeza"));

    in.isLooking = true;
    in.warningsToday = 12;
    in.lastCheckShared = false;
    in.trackerConnected = false;
    content = PanelModel::build(in);
    EXPECT_EQ(content.status.detail, QStringLiteral("Última vez 10:42 · 12 avisos hoy"));
    ASSERT_TRUE(content.statusButton);
    EXPECT_EQ(content.statusButton->title, QStringLiteral("Mirando…"));
    EXPECT_FALSE(content.statusButton->enabled);
}

TEST_F(PanelModelTest, positionsHintUpdateAndNotificationSections) {
    const Calibration desk = position("Mesa");
    const Calibration sofa = position("Sofá");
    in.book.calibrations = {desk, sofa};
    in.book.activeID = sofa.id;
    in.referenceSuspect = ReferenceCheck::Problem::slouching;
    in.notifications = PermissionState::denied;
    in.availableVersion = QStringLiteral("0.3.0");
    const PanelContent content = PanelModel::build(in);

    QStringList titles;
    for (const PanelChoice& choice : content.positions)
        titles << choice.title;
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Mesa"), QStringLiteral("Sofá"),
                                   QStringLiteral("Nueva posición…")}));
    EXPECT_EQ(content.positions[0].checked, false);
    EXPECT_EQ(content.positions[1].checked, true);
    EXPECT_FALSE(content.positions[2].checked) << "no mark at all";

    // The hint names the position, and its button records that one again.
    ASSERT_TRUE(content.hint);
    EXPECT_TRUE(content.hint->contains(QStringLiteral("«Sofá»")));
    EXPECT_TRUE(content.hint->contains(QStringLiteral("encorvado"))) << "says what it sees";
    ASSERT_EQ(content.hintButtons.size(), 2u);
    EXPECT_EQ(content.hintButtons[0].action, PanelAction::resavePosition);
    EXPECT_EQ(content.hintButtons[0].positionName, QStringLiteral("Sofá"));
    ASSERT_TRUE(content.update);
    EXPECT_TRUE(content.update->title.contains(QStringLiteral("0.3.0")));
    EXPECT_TRUE(content.notificationsWarning);

    // The hint needs the watching state.
    in.state = Monitor::State::paused(addSeconds(monday, 60));
    EXPECT_FALSE(PanelModel::build(in).hint);
}

TEST(MenuBarLabelTest, dotForEachCondition) {
    using State = Monitor::State;
    const auto bad = std::optional(PostureVerdict::tooClose(1.3));
    // Something missing, a look under way, a bad verdict, paused, and sitting well.
    EXPECT_EQ(MenuBarLabel::dotFor(State::noCamera(), true, std::nullopt), StatusDot::orange);
    EXPECT_EQ(MenuBarLabel::dotFor(State::watching(), true, bad), StatusDot::green);
    EXPECT_EQ(MenuBarLabel::dotFor(State::watching(), false, bad), StatusDot::orange);
    EXPECT_EQ(MenuBarLabel::dotFor(State::paused(Date{}), true, bad), StatusDot::hollow);
    for (const auto& verdict :
         {std::optional(PostureVerdict::fine()), std::optional(PostureVerdict::away()),
          std::optional<PostureVerdict>()})
        EXPECT_EQ(MenuBarLabel::dotFor(State::watching(), false, verdict), StatusDot::none);
}

// How many pixels of the icon, shown on `panel`, stand apart from it by 3:1 or more.
int pixelsStandingOut(const QImage& icon, const QColor& panel) {
    QImage shown(icon.size(), QImage::Format_ARGB32);
    shown.fill(panel);
    QPainter(&shown).drawImage(0, 0, icon);
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            count += contrast(shown.pixelColor(x, y), panel) >= 3.0 ? 1 : 0;
    return count;
}

TEST(MenuBarLabelTest, theFigureAndTheDotStandOutAtEverySizeOnLightAndDarkPanels) {
    for (ColorScheme scheme : {ColorScheme::light, ColorScheme::dark}) {
        const QPalette palette = Appearance::palette(scheme);
        const QColor figure = palette.color(QPalette::WindowText);
        for (const auto& [size, ratio] : {std::pair{16, 1.0}, {22, 2.0}, {48, 1.0}}) {
            SCOPED_TRACE(testing::Message() << size << "@" << ratio);
            const int device = qRound(size * ratio);
            const QImage none =
                MenuBarLabel::picture(StatusDot::none, size, ratio, figure).toImage();
            ASSERT_EQ(none.size(), QSize(device, device));
            // The head is drawn, opaque; without a dot its corner is empty.
            EXPECT_EQ(none.pixelColor(qRound(device * 9.4 / 22), qRound(device * 4.4 / 22)).alpha(),
                      255);
            const QPoint dot(device - 1 - qRound(device * 0.2), qRound(device * 0.2));
            EXPECT_EQ(none.pixelColor(dot).alpha(), 0);
            const QColor green = MenuBarLabel::picture(StatusDot::green, size, ratio, figure)
                                     .toImage()
                                     .pixelColor(dot);
            const QColor orange = MenuBarLabel::picture(StatusDot::orange, size, ratio, figure)
                                      .toImage()
                                      .pixelColor(dot);
            EXPECT_GT(green.green(), green.red());
            EXPECT_GT(orange.red(), orange.green());
            // Either dot stands out from the window of the scheme the figure is drawn for.
            for (const QColor& shown : {green, orange})
                EXPECT_GE(contrast(shown, palette.color(QPalette::Window)), 3.0)
                    << shown.name().toStdString();
        }
        // On a light XFCE panel and a near-black top bar, the figure stands out nearly as
        // well as a panel's own symbolic icon (black or white) would.
        for (const QColor& panel : {QColor(0xf0, 0xf0, 0xf0), QColor(0x24, 0x24, 0x24)}) {
            const QColor best = panel.lightness() > 128 ? Qt::black : Qt::white;
            const int reference = pixelsStandingOut(
                MenuBarLabel::picture(StatusDot::none, 22, 1.0, best).toImage(), panel);
            ASSERT_GT(reference, 40);
            const QImage icon = MenuBarLabel::picture(StatusDot::none, 22, 1.0, figure).toImage();
            EXPECT_GE(pixelsStandingOut(icon, panel), reference * 8 / 10)
                << panel.name().toStdString() << " " << figure.name().toStdString();
        }
    }
}

struct MenuBarPanelTest : ::testing::Test {
    MenuBarPanelTest() {
        harness.monitor().start();
        harness.monitor().saveCalibration(position("Mesa"));
        harness.monitor().saveCalibration(position("Sofá"));
        panel = std::make_unique<MenuBarPanel>(
            harness.monitor(), [] { return std::optional<QString>(QStringLiteral("9.9")); });
        record(panel.get());
        panel->popUp(QRect(400, 0, 24, 24));
        // Showing the panel asks whether notifications are allowed; the answer rebuilds it.
        waitUntil([] { return NotificationStatus::shared().state() != PermissionState::unknown; });
        settle();
    }
    // Notes, for each window `source` asks for, whether it was still visible then.
    void record(MenuBarPanel* source) {
        for (auto signal : {&MenuBarPanel::settingsRequested, &MenuBarPanel::newPositionRequested})
            QObject::connect(source, signal, [this, source] { opened << source->isVisible(); });
    }
    template <class T = QAbstractButton> T* control(QWidget* root, const QString& name) const {
        for (T* candidate : root->findChildren<T*>()) {
            if (candidate->accessibleName() == name && candidate->isVisible())
                return candidate;
        }
        return nullptr;
    }
    PanelButton* row(const char* name) const {
        return control<PanelButton>(panel.get(), QString::fromUtf8(name));
    }
    static void settle() { QApplication::processEvents(); }

    MonitorHarness harness;
    std::unique_ptr<MenuBarPanel> panel;
    QList<bool> opened; // whether the panel was visible when each window was asked for
};

TEST_F(MenuBarPanelTest, choicesInPlaceKeepItOpenAndGrowItDownChoicesThatLeaveCloseItFirst) {
    const QRect before = panel->geometry();
    EXPECT_EQ(before.height(), panel->contentHeight());
    QTest::mouseClick(row("Mesa"), Qt::LeftButton);
    settle();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(row("Mesa")->checkMark(), true);
    EXPECT_EQ(row("Sofá")->checkMark(), false);

    // A hint grows the panel downward with its top edge fixed; "Ahora no" shrinks it back.
    harness.monitor().setReferenceSuspectForPictures(ReferenceCheck::Problem::tooClose);
    settle();
    ASSERT_TRUE(control(panel.get(), QStringLiteral("Ahora no")));
    EXPECT_EQ(panel->geometry().top(), before.top());
    EXPECT_EQ(panel->geometry().height(), panel->contentHeight());
    EXPECT_GT(panel->geometry().height(), before.height());
    QTest::mouseClick(control(panel.get(), QStringLiteral("Ahora no")), Qt::LeftButton);
    settle();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->geometry(), before);

    QTest::mouseClick(row("Nueva posición…"), Qt::LeftButton);
    panel->popUp(QRect());
    QTest::mouseClick(row("Ajustes…"), Qt::LeftButton);
    EXPECT_EQ(opened, (QList<bool>{false, false}));
    // A pause leaves the panel too, and the Monitor is paused for an hour.
    panel->popUp(QRect());
    QTest::mouseClick(row("Pausar 1 hora"), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(harness.monitor().state(),
              Monitor::State::paused(addSeconds(harness.monitor().now(), 3600)));
}

TEST_F(MenuBarPanelTest, keyboardMovesChoosesAndCloses) {
    // One highlight at most: none on opening, then the row the keyboard or pointer moved to.
    auto highlighted = [this] {
        QList<QWidget*> found;
        for (PanelButton* candidate : panel->findChildren<PanelButton*>())
            if (candidate->isVisible() && candidate->isHighlighted())
                found << candidate;
        return found;
    };
    QWidget* first = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<PanelButton*>(first)) << "the update row";
    EXPECT_TRUE(highlighted().isEmpty());
    // The first key shows the row the panel opened on; the next ones move.
    QTest::keyClick(first, Qt::Key_Down);
    EXPECT_EQ(highlighted(), QList<QWidget*>{first});
    // On through the section buttons to the next row.
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        if (qobject_cast<PanelButton*>(QApplication::focusWidget()))
            break;
    }
    EXPECT_NE(QApplication::focusWidget(), first);
    EXPECT_EQ(highlighted(), QList<QWidget*>{QApplication::focusWidget()});
    // The pointer takes the one highlight; the keyboard moves it from where the focus is.
    QTest::mouseMove(row("Pausar hasta mañana"));
    EXPECT_EQ(highlighted(), QList<QWidget*>{row("Pausar hasta mañana")});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(highlighted(), QList<QWidget*>{QApplication::focusWidget()});

    row("Ajustes…")->setFocus();
    QTest::keyClick(row("Ajustes…"), Qt::Key_Return);
    EXPECT_TRUE(waitUntil([&] { return !opened.isEmpty(); }));
    panel->popUp(QRect());
    QTest::keyClick(panel.get(), Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(MenuBarPanelTest, asAWindowItStaysOpenAndShowsWhatChangedWhileHidden) {
    panel->close();
    MenuBarPanel window(harness.monitor(), {}, false);
    record(&window);
    window.show();
    QTest::mouseClick(control(&window, QStringLiteral("Pausar 1 hora")), Qt::LeftButton);
    settle();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(control(&window, QStringLiteral("Reanudar")));
    // The tray icon's tooltip says it in words.
    EXPECT_TRUE(MenuBarLabel::toolTip(harness.monitor())
                    .startsWith(QStringLiteral("Tisko: en pausa hasta las ")))
        << MenuBarLabel::toolTip(harness.monitor()).toStdString();
    QTest::mouseClick(control(&window, QStringLiteral("Ajustes…")), Qt::LeftButton);
    EXPECT_EQ(opened, QList<bool>{true});

    window.hide();
    harness.monitor().setPause(std::nullopt);
    harness.monitor().saveCalibration(position("Silla"));
    settle();
    window.show();
    EXPECT_TRUE(control(&window, QStringLiteral("Silla")));
    EXPECT_FALSE(control(&window, QStringLiteral("Reanudar")));
    EXPECT_EQ(window.height(), window.contentHeight());
}

} // namespace
} // namespace tisko::test
