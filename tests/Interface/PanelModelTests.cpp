// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the tray panel and icon show for each condition of the Monitor.
#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/PanelModel.h"

#include <QImage>
#include <QLocale>
#include <QPainter>

#include <cmath>

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
    struct Case {
        Monitor::State state;
        const char* title;
        const char* detail;
        const char* button; // empty: none
    };
    const Case cases[] = {
        {Monitor::State::needsCalibration(), "Falta tu posición",
         "Tisko necesita verte una vez sentado bien para saber qué es «demasiado cerca».",
         "Crear posición…"},
        {Monitor::State::noCameraPermission(), "Sin permiso de cámara",
         "Sin cámara Tisko no puede mirar.", "Abrir Ajustes de Tisko"},
        {Monitor::State::noCamera(), "No hay cámara",
         "Con el portátil cerrado y sin cámara externa, Tisko espera.", ""},
        {Monitor::State::paused(addSeconds(monday, 1800)), "En pausa", "Hasta 11:12.", ""},
        {Monitor::State::paused(addSeconds(monday, 86400)), "En pausa", "Hasta 3 mar 10:42.", ""},
        {Monitor::State::watching(), "Vigilando", "0 avisos hoy", "Comprobar ahora"},
    };
    in.laptop = true;
    for (const Case& c : cases) {
        in.state = c.state;
        const PanelContent content = PanelModel::build(in);
        EXPECT_EQ(content.status.title, QString::fromUtf8(c.title));
        EXPECT_EQ(content.status.detail, QString::fromUtf8(c.detail));
        EXPECT_EQ(content.statusButton ? content.statusButton->title : QString(),
                  QString::fromUtf8(c.button));
        // Without a position there is no positions section.
        EXPECT_TRUE(content.positions.empty());
        EXPECT_EQ(titles(content.pauseRows).size(),
                  c.state.kind() == Monitor::State::Kind::paused ? 1 : 2);
    }
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

    ASSERT_TRUE(content.hint);
    EXPECT_EQ(*content.hint, QStringLiteral("Casi siempre te veo encorvado con «Sofá». Si ahora "
                                            "estás sentado como sueles, vuelve a guardarla."));
    EXPECT_EQ(titles(content.hintButtons), (QStringList{QStringLiteral("Volver a guardar «Sofá»…"),
                                                        QStringLiteral("Ahora no")}));
    EXPECT_EQ(content.hintButtons[0].positionName, QStringLiteral("Sofá"));

    ASSERT_TRUE(content.update);
    EXPECT_EQ(content.update->title, QStringLiteral("Actualizar a la 0.3.0…"));
    EXPECT_EQ(content.notificationsWarning,
              QStringLiteral("Las notificaciones de Tisko están desactivadas: no puede avisarte."));

    // The hint needs the watching state.
    in.state = Monitor::State::paused(addSeconds(monday, 60));
    EXPECT_FALSE(PanelModel::build(in).hint);
}

TEST(MenuBarLabelTest, dotForEachCondition) {
    using State = Monitor::State;
    struct Case {
        State state;
        bool looking;
        std::optional<PostureVerdict> verdict;
        StatusDot dot;
    };
    const Case cases[] = {
        {State::needsCalibration(), false, std::nullopt, StatusDot::orange},
        {State::noCameraPermission(), true, std::nullopt, StatusDot::orange},
        {State::noCamera(), false, PostureVerdict::fine(), StatusDot::orange},
        {State::watching(), true, PostureVerdict::tooClose(1.3), StatusDot::green},
        {State::watching(), false, PostureVerdict::tooClose(1.3), StatusDot::orange},
        {State::watching(), false, PostureVerdict::slouching(0.2), StatusDot::orange},
        {State::watching(), false, PostureVerdict::fine(), StatusDot::none},
        {State::watching(), false, PostureVerdict::away(), StatusDot::none},
        {State::watching(), false, std::nullopt, StatusDot::none},
        {State::paused(Date{}), true, PostureVerdict::tooClose(1.3), StatusDot::hollow},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MenuBarLabel::dotFor(c.state, c.looking, c.verdict), c.dot);
}

TEST(MenuBarLabelTest, pictureHasTheFigureAndTheDotAtEverySize) {
    for (int size : {16, 22, 24, 32, 48}) {
        for (qreal ratio : {1.0, 2.0}) {
            const QImage green =
                MenuBarLabel::picture(StatusDot::green, size, ratio, Qt::black).toImage();
            const QImage none =
                MenuBarLabel::picture(StatusDot::none, size, ratio, Qt::black).toImage();
            const int device = qRound(size * ratio);
            ASSERT_EQ(green.size(), QSize(device, device));
            // The dot's middle is green; without a dot that corner is empty.
            const QPoint dot(device - 1 - qRound(device * 0.2), qRound(device * 0.2));
            EXPECT_GT(green.pixelColor(dot).green(), 150) << size << "@" << ratio;
            EXPECT_EQ(none.pixelColor(dot).alpha(), 0) << size << "@" << ratio;
            // The head is drawn, opaque, in the figure's colour.
            const QColor head =
                none.pixelColor(qRound(device * 9.4 / 22), qRound(device * 4.4 / 22));
            EXPECT_EQ(head.alpha(), 255) << size << "@" << ratio;
        }
    }
}

// The contrast ratio of two colours (1 to 21), from their relative luminance.
double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
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

TEST(MenuBarLabelTest, theFigureStandsOutOnLightAndDarkPanelsInEitherScheme) {
    // A light XFCE panel and a near-black top bar.
    for (const QColor& panel : {QColor(0xf0, 0xf0, 0xf0), QColor(0x24, 0x24, 0x24)}) {
        // The figure as a panel's own symbolic icon would be drawn: black or white.
        const QColor best = panel.lightness() > 128 ? Qt::black : Qt::white;
        const int reference = pixelsStandingOut(
            MenuBarLabel::picture(StatusDot::none, 22, 1.0, best).toImage(), panel);
        ASSERT_GT(reference, 40);
        for (ColorScheme scheme : {ColorScheme::light, ColorScheme::dark}) {
            const QColor figure = Appearance::palette(scheme).color(QPalette::WindowText);
            const QImage icon = MenuBarLabel::picture(StatusDot::none, 22, 1.0, figure).toImage();
            EXPECT_GE(pixelsStandingOut(icon, panel), reference * 8 / 10)
                << panel.name().toStdString() << " " << figure.name().toStdString();
        }
    }
}

} // namespace
} // namespace tisko::test
