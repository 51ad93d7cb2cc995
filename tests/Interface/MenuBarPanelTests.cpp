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
        callbacks.onNewPosition = [this] { opened << panel->isVisible(); };
        callbacks.onOpenSettings = [this] { opened << panel->isVisible(); };
        callbacks.availableVersion = [] { return std::optional<QString>(QStringLiteral("9.9")); };
        panel = std::make_unique<MenuBarPanel>(harness.monitor(), callbacks);
        panel->popUp(QRect(400, 0, 24, 24));
        // Showing the panel asks whether notifications are allowed; the answer rebuilds it.
        waitUntil([] { return NotificationStatus::shared().state() != PermissionState::unknown; });
        settle();
    }
    template <class T> T* control(const QString& name) const {
        for (T* candidate : panel->findChildren<T*>()) {
            if (candidate->accessibleName() == name && candidate->isVisible())
                return candidate;
        }
        return nullptr;
    }
    static void settle() { QApplication::processEvents(); }

    MonitorHarness harness;
    MenuBarPanel::Callbacks callbacks;
    std::unique_ptr<MenuBarPanel> panel;
    QList<bool> opened; // whether the panel was visible when each window was asked for
};

TEST_F(MenuBarPanelTest, choosingAPositionTicksItAndStaysOpen) {
    ASSERT_EQ(control<PanelButton>(QStringLiteral("Mesa"))->checkMark(), false);
    QTest::mouseClick(control<PanelButton>(QStringLiteral("Mesa")), Qt::LeftButton);
    settle();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(control<PanelButton>(QStringLiteral("Mesa"))->checkMark(), true);
    EXPECT_EQ(control<PanelButton>(QStringLiteral("Sofá"))->checkMark(), false);
}

TEST_F(MenuBarPanelTest, choicesThatOpenAWindowCloseThePanelFirst) {
    QTest::mouseClick(control<PanelButton>(QStringLiteral("Nueva posición…")), Qt::LeftButton);
    ASSERT_EQ(opened, QList<bool>{false});
    panel->popUp(QRect());
    QTest::mouseClick(control<PanelButton>(QStringLiteral("Ajustes…")), Qt::LeftButton);
    EXPECT_EQ(opened, (QList<bool>{false, false}));

    // A pause leaves the panel too, and the Monitor is paused for an hour.
    panel->popUp(QRect());
    QTest::mouseClick(control<PanelButton>(QStringLiteral("Pausar 1 hora")), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(harness.monitor().state(),
              Monitor::State::paused(addSeconds(harness.monitor().now(), 3600)));
}

TEST_F(MenuBarPanelTest, growsDownwardWithItsTopEdgeFixed) {
    const QRect before = panel->geometry();
    EXPECT_EQ(before.height(), panel->contentHeight());
    EXPECT_EQ(before.width(), 300);

    harness.monitor().setReferenceSuspectForPictures(ReferenceCheck::Problem::tooClose);
    settle();
    ASSERT_TRUE(control<QPushButton>(QStringLiteral("Ahora no")));
    EXPECT_EQ(panel->geometry().top(), before.top());
    EXPECT_GT(panel->geometry().height(), before.height());
    EXPECT_EQ(panel->geometry().height(), panel->contentHeight());

    // "Ahora no" dismisses the hint and the panel shrinks back, staying open.
    QTest::mouseClick(control<QPushButton>(QStringLiteral("Ahora no")), Qt::LeftButton);
    settle();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(control<QPushButton>(QStringLiteral("Ahora no")));
    EXPECT_EQ(panel->contentHeight(), before.height());
    EXPECT_EQ(panel->geometry(), before);
}

TEST_F(MenuBarPanelTest, keyboardMovesChoosesAndCloses) {
    // One highlight at most: none on opening, then the row the keyboard or pointer moved to.
    auto highlighted = [this] {
        QList<PanelButton*> found;
        for (PanelButton* row : panel->findChildren<PanelButton*>())
            if (row->isVisible() && row->isHighlighted())
                found << row;
        return found;
    };
    QWidget* first = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<PanelButton*>(first)) << "the update row";
    EXPECT_TRUE(highlighted().isEmpty());
    // The first key shows the row the panel opened on; the next one moves.
    QTest::keyClick(first, Qt::Key_Down);
    EXPECT_EQ(highlighted(), QList<PanelButton*>{qobject_cast<PanelButton*>(first)});
    // On through the section buttons to the next row, which alone is highlighted.
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        if (qobject_cast<PanelButton*>(QApplication::focusWidget()))
            break;
        EXPECT_TRUE(highlighted().isEmpty());
    }
    EXPECT_NE(QApplication::focusWidget(), first);
    EXPECT_EQ(highlighted(),
              QList<PanelButton*>{qobject_cast<PanelButton*>(QApplication::focusWidget())});
    PanelButton* pointed = control<PanelButton>(QStringLiteral("Pausar hasta mañana"));
    QTest::mouseMove(pointed);
    EXPECT_EQ(highlighted(), QList<PanelButton*>{pointed});
    // The pointer stays where it is; the keyboard moves the one highlight.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(highlighted(),
              QList<PanelButton*>{qobject_cast<PanelButton*>(QApplication::focusWidget())});
    EXPECT_NE(QApplication::focusWidget(), pointed);

    PanelButton* settings = control<PanelButton>(QStringLiteral("Ajustes…"));
    settings->setFocus();
    QTest::keyClick(settings, Qt::Key_Return);
    EXPECT_TRUE(waitUntil([&] { return !opened.isEmpty(); }));

    panel->popUp(QRect());
    QTest::keyClick(panel.get(), Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(MenuBarPanelTest, asAnOrdinaryWindowItStaysOpenAndWorksByKeyboard) {
    panel->close();
    MenuBarPanel window(harness.monitor(), callbacks, false);
    window.setWindowTitle(QStringLiteral("Tisko"));
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.focusFirst();
    ASSERT_TRUE(window.isWindow());
    for (const char* name :
         {"Comprobar ahora", "Mesa", "Sofá", "Pausar 1 hora", "Ajustes…", "Salir de Tisko"}) {
        bool found = false;
        for (QWidget* child : window.findChildren<QAbstractButton*>())
            found = found || child->accessibleName() == QString::fromUtf8(name);
        EXPECT_TRUE(found) << name;
    }
    // Down to "Pausar 1 hora" and Return: Tisko pauses and the window stays, with "Reanudar".
    QWidget* pause = nullptr;
    for (int step = 0; step < 12 && !pause; ++step) {
        auto* focused = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        if (focused && focused->accessibleName() == QStringLiteral("Pausar 1 hora"))
            pause = focused;
        else
            QTest::keyClick(&window, Qt::Key_Down);
    }
    ASSERT_TRUE(pause);
    EXPECT_FALSE(MenuBarLabel::toolTip(harness.monitor()).contains(QStringLiteral("pausa")));
    QTest::keyClick(pause, Qt::Key_Return);
    ASSERT_TRUE(waitUntil(
        [&] { return harness.monitor().state().kind() == Monitor::State::Kind::paused; }));
    settle();
    EXPECT_TRUE(window.isVisible());
    // The tray icon's tooltip says it in words.
    EXPECT_TRUE(MenuBarLabel::toolTip(harness.monitor())
                    .startsWith(QStringLiteral("Tisko: en pausa hasta las ")))
        << MenuBarLabel::toolTip(harness.monitor()).toStdString();
    bool resume = false;
    for (QWidget* child : window.findChildren<QAbstractButton*>())
        resume =
            resume || (child->accessibleName() == QStringLiteral("Reanudar") && child->isVisible());
    EXPECT_TRUE(resume);
    // "Ajustes…" opens the settings and leaves the window where it is.
    opened.clear();
    for (QWidget* child : window.findChildren<QAbstractButton*>()) {
        if (child->accessibleName() == QStringLiteral("Ajustes…") && child->isVisible()) {
            child->setFocus();
            QTest::keyClick(child, Qt::Key_Return);
        }
    }
    EXPECT_TRUE(waitUntil([&] { return !opened.isEmpty(); }));
    EXPECT_TRUE(window.isVisible());
}

} // namespace
} // namespace tisko::test
