// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the tray panel and icon show for each condition of the Monitor.
#include "Contrast.h"

#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/PanelModel.h"

#include <QImage>
#include <QLocale>
#include <QPainter>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

// 2026-03-02 10:42:00 UTC; the tests run in UTC with the Spanish locale.
const Date monday = Date(std::chrono::seconds(1772448120));

Calibration named(const char* name) {
    Calibration calibration;
    calibration.id = Uuid::random();
    calibration.name = name;
    return calibration;
}

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

QStringList titles(const std::vector<PanelChoice>& choices) {
    QStringList result;
    for (const PanelChoice& choice : choices)
        result << choice.title;
    return result;
}

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
    const Calibration desk = named("Mesa");
    const Calibration sofa = named("Sofá");
    in.book.calibrations = {desk, sofa};
    in.book.activeID = sofa.id;
    in.referenceSuspect = ReferenceCheck::Problem::slouching;
    in.notifications = PermissionState::denied;
    in.availableVersion = QStringLiteral("0.3.0");
    const PanelContent content = PanelModel::build(in);

    EXPECT_EQ(titles(content.positions),
              (QStringList{QStringLiteral("Mesa"), QStringLiteral("Sofá"),
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

} // namespace
} // namespace tisko::test
