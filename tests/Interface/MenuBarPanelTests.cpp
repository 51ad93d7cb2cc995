// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The tray panel as a widget: choices, closing before leaving, fitting, the keyboard.
#include "EventLoop.h"
#include "MonitorHarness.h"

#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/MenuBarPanel.h"
#include "Tisko/Interface/PanelButton.h"
#include "Tisko/System/NotificationStatus.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

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
