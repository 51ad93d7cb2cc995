// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The positions page: rows, choosing, renaming, deleting, and choosing by displays.
#include "SettingsFixture.h"

#include "EventLoop.h"

#include "Tisko/Interface/PositionsModel.h"
#include "Tisko/Support/SettingsStore.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

struct Positions : SettingsFixture {
    // Saves the positions in order; the last one saved is active. `desktop` sets the scene
    // first.
    explicit Positions(std::vector<Calibration> saved = {},
                       const std::function<void(SettingsFixture&)>& desktop = {}) {
        if (desktop)
            desktop(*this);
        monitor().start();
        for (const Calibration& c : saved)
            monitor().saveCalibration(c);
        open(SettingsTab::positions);
    }
    QStringList names() {
        QStringList list;
        for (const Calibration& c : monitor().book().calibrations)
            list << QString::fromStdString(c.name);
        return list;
    }
    QString active() { return QString::fromStdString(monitor().book().active()->name); }
    // Picks an entry of a row's menu.
    void menu(QWidget* row, const QString& entry) {
        QTest::mouseClick(row->findChild<QAbstractButton*>(QStringLiteral("menu")), Qt::LeftButton);
        for (QAction* action : row->findChild<QMenu*>()->actions())
            if (action->text() == entry)
                action->trigger();
    }
    QLineEdit* field() const {
        const std::vector<QLineEdit*> fields = shown<QLineEdit>(window.get());
        return fields.size() == 1 ? fields.front() : nullptr;
    }
};

// Without positions, the hint and the button only; then a row each, the last saved active.
TEST(SettingsPositions, theActiveRowIsMarkedAndDeletingItActivatesTheFirstRemaining) {
    Positions h;
    EXPECT_TRUE(h.rows().empty());
    EXPECT_EQ(h.shown<QLabel>(h.window.get(),
                              QStringLiteral("Todavía no hay ninguna. Crea la primera sentado "
                                             "como quieres sentarte."))
                  .size(),
              1u);
    QTest::mouseClick(h.button(QStringLiteral("Nueva posición…")), Qt::LeftButton);
    EXPECT_EQ(h.newPositionCalls, 1);
    for (const char* name : {"Mesa", "Sofá", "Cocina"})
        h.monitor().saveCalibration(position(name));
    auto usar = [&](QWidget* row) { return h.button(QStringLiteral("Usar"), row); };
    ASSERT_EQ(h.rows().size(), 3u);
    EXPECT_TRUE(usar(h.rows()[0]) && usar(h.rows()[1]));
    EXPECT_FALSE(usar(h.rows()[2]));

    QTest::mouseClick(h.rows()[1]->findChild<QAbstractButton*>(QStringLiteral("mark")),
                      Qt::LeftButton);
    EXPECT_EQ(h.active(), QStringLiteral("Sofá")) << "the mark selects too";
    EXPECT_TRUE(usar(h.rows()[2])->accessibleName().contains(u"Cocina"_qs))
        << "a screen reader hears which row the button uses";
    QTest::mouseClick(usar(h.rows()[2]), Qt::LeftButton);
    EXPECT_EQ(h.active(), QStringLiteral("Cocina"));
    EXPECT_TRUE(usar(h.rows()[1]));

    h.menu(h.rows()[2], QStringLiteral("Borrar"));
    EXPECT_EQ(h.names(), (QStringList{QStringLiteral("Mesa"), QStringLiteral("Sofá")}));
    EXPECT_EQ(h.active(), QStringLiteral("Mesa"));
    ASSERT_EQ(h.rows().size(), 2u);
    EXPECT_FALSE(usar(h.rows()[0]));
}

TEST(SettingsPositions, rowsAndFooterNameCamerasDisplaysDatesAndTheTracker) {
    // Recorded at 10:00 UTC: the 2nd of March in every zone from UTC−10 to UTC+13.
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    Calibration away = position("Mesa", 0.1, "displays:A+B");
    away.cameraID = "/dev/v4l/by-id/gone";
    Calibration here = position("Sofá", std::nullopt, "displays:A");
    here.cameraID = "/dev/v4l/by-id/webcam";
    CameraDevice webcam;
    webcam.uniqueID = QStringLiteral("/dev/v4l/by-id/webcam");
    webcam.localizedName = QStringLiteral("Webcam");
    Positions h({away, here, position("Cocina")}, [&](SettingsFixture& f) {
        f.platform.connected = {webcam};
        f.platform.noEdid = {QStringLiteral("DP-1"), QStringLiteral("HDMI-A-1")};
        f.displayKey = QStringLiteral("displays:A");
    });

    QStringList details;
    for (QWidget* row : h.rows())
        details << row->findChildren<QLabel*>().last()->text();
    EXPECT_EQ(details, (QStringList{QStringLiteral("Otra cámara · 2 pantallas · 2 mar 2026 · con "
                                                   "seguidor de cabeza"),
                                    QStringLiteral("Webcam · 1 pantalla · 2 mar 2026"),
                                    QStringLiteral("Otra cámara · — · 2 mar 2026")}));
    QStringList footers;
    for (QLabel* label : h.shown<QLabel>(h.window.get()))
        if (label->text().contains(QStringLiteral("Ahora: ")))
            footers << label->text().mid(label->text().indexOf(QStringLiteral("Ahora: ")));
    EXPECT_EQ(footers,
              QStringList(QStringLiteral("Ahora: 1 pantalla, pantalla DP-1 y pantalla HDMI-A-1.")));
    QLocale::setDefault(QLocale::c());
    // Without known displays: said so, or only the connectors named.
    EXPECT_TRUE(
        PositionsModel::displaysFooter(u"displays:"_qs, {}).endsWith(u"Ahora: sin pantallas."_qs));
    EXPECT_TRUE(PositionsModel::displaysFooter(u"displays:"_qs, {u"DP-1"_qs, u"DP-2"_qs})
                    .endsWith(u"Ahora: pantalla DP-1 y pantalla DP-2."_qs));
}

TEST(SettingsPositions, renameMovesBetweenRowsAndReturnRenamesThatRowOnly) {
    Positions h({position("Mesa"), position("Sofá")});
    h.menu(h.rows()[0], QStringLiteral("Cambiar el nombre"));
    ASSERT_TRUE(h.field());
    EXPECT_EQ(h.field()->text(), QStringLiteral("Mesa"));
    EXPECT_EQ(h.field()->placeholderText(), QStringLiteral("Nombre"));

    h.menu(h.rows()[1], QStringLiteral("Cambiar el nombre"));
    ASSERT_TRUE(h.field()) << "one field only";
    EXPECT_TRUE(h.rows()[1]->isAncestorOf(h.field()));
    EXPECT_EQ(h.field()->text(), QStringLiteral("Sofá"));
    EXPECT_TRUE(waitUntil([&] { return QApplication::focusWidget() == h.field(); }))
        << "typing goes into the name";
    h.field()->selectAll();
    QTest::keyClicks(h.field(), QStringLiteral("  Rincon "));
    QTest::keyClick(h.field(), Qt::Key_Return);
    EXPECT_EQ(h.names(), (QStringList{QStringLiteral("Mesa"), QStringLiteral("Rincon")}));
    EXPECT_FALSE(h.field());
    // The keyboard stays on the renamed row, on a named control.
    ASSERT_TRUE(waitUntil([&] {
        QWidget* focus = QApplication::focusWidget();
        return focus && h.rows()[1]->isAncestorOf(focus) && !focus->accessibleName().isEmpty();
    }));
    // Tab runs down the section as it is drawn: row by row, then the button under them.
    QWidget* section = h.rows()[0]->parentWidget();
    std::vector<int> tops;
    for (QWidget* w = h.window->nextInFocusChain(); w != h.window.get();
         w = w->nextInFocusChain()) {
        if (!section->isAncestorOf(w) || !w->isVisible() || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        QWidget* line = w;
        while (line->parentWidget() != section)
            line = line->parentWidget();
        tops.push_back(line->y());
    }
    EXPECT_GE(tops.size(), 5u);
    EXPECT_TRUE(std::is_sorted(tops.begin(), tops.end())) << ::testing::PrintToString(tops);

    // A blank name keeps the old one and still leaves edit mode.
    h.menu(h.rows()[0], QStringLiteral("Cambiar el nombre"));
    h.field()->selectAll();
    QTest::keyClicks(h.field(), QStringLiteral("   "));
    QTest::keyClick(h.field(), Qt::Key_Return);
    EXPECT_EQ(h.names(), (QStringList{QStringLiteral("Mesa"), QStringLiteral("Rincon")}));
    EXPECT_FALSE(h.field());
}

TEST(SettingsPositions, turningOnTheDisplaySwitchSelectsAtOnce) {
    Positions h({position("Portátil", std::nullopt, "displays:L"),
                 position("Escritorio", std::nullopt, "displays:L+M")});
    h.displayKey = QStringLiteral("displays:L");
    SettingsStore::setAutoSelectByDisplays(false);
    QAbstractButton* toggle =
        h.button(QStringLiteral("Elegirla sola según las pantallas conectadas"));
    ASSERT_TRUE(toggle);
    EXPECT_FALSE(toggle->isChecked()) << "the switch follows the setting";
    EXPECT_EQ(h.active(), QStringLiteral("Escritorio"));
    QTest::keyClick(toggle, Qt::Key_Space);
    EXPECT_TRUE(SettingsStore::autoSelectByDisplays());
    EXPECT_EQ(h.active(), QStringLiteral("Portátil"));
}

} // namespace
} // namespace tisko::test
