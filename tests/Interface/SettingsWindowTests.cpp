// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window's toolbar and its height per page.
#include "SettingsFixture.h"

#include "EventLoop.h"

#include "Tisko/Camera/Cameras.h"
#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/SettingsToolbar.h"

#include <QAccessible>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

TEST(SettingsToolbar, resizedFrameKeepsTheTopEdgeAndIgnoresHalfAPoint) {
    struct Case {
        qreal height;
        qreal target;
        std::optional<qreal> resizedTo;
    };
    const Case cases[] = {
        {400, 400.5, std::nullopt},
        {400, 399.5, std::nullopt},
        {400, 400.6, 400.6},
        {600, 370, 370},
    };
    for (const Case& c : cases) {
        const QRectF frame(30, 80, 660, c.height);
        const std::optional<QRectF> resized = SettingsToolbar::resizedFrame(frame, c.target);
        ASSERT_EQ(resized.has_value(), c.resizedTo.has_value()) << c.height << " → " << c.target;
        if (resized) {
            EXPECT_EQ(*resized, QRectF(30, 80, 660, *c.resizedTo));
        }
    }
}

TEST(SettingsWindow, eachPageHasItsHeightAndTheTopEdgeStays) {
    SettingsFixture h;
    SettingsWindow& window = h.open(SettingsTab::detection);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Ajustes de Tisko"));
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
    EXPECT_EQ(tabs->count(), 4);
    EXPECT_TRUE(tabs->focusPolicy() & Qt::TabFocus) << "the keyboard reaches the tabs";

    // The pointer, the page shortcuts and a page chosen as assistive technology does.
    auto* stack = window.findChild<QStackedWidget*>();
    const std::pair<std::function<void()>, SettingsTab> choices[] = {
        {[&] { QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center()); },
         SettingsTab::permissions},
        {[&] { QTest::keyClick(&window, Qt::Key_Tab, Qt::ControlModifier); }, SettingsTab::general},
        {[&] { QTest::keyClick(&window, Qt::Key_PageUp, Qt::ControlModifier); },
         SettingsTab::permissions},
        {[&] { QTest::keyClick(&window, Qt::Key_3, Qt::AltModifier); }, SettingsTab::positions},
        {[&] { QTest::keyClick(&window, Qt::Key_PageDown, Qt::ControlModifier); },
         SettingsTab::permissions},
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
        EXPECT_EQ(tabs->currentIndex(), static_cast<int>(tab));
        EXPECT_EQ(window.geometry().top(), top) << rawValue(tab).toStdString();
        EXPECT_EQ(window.width(), 660);
    }

    // The shell keeps the tabs: a window opened again shows the last page at its height.
    h.tabs.setTab(SettingsTab::positions);
    SettingsWindow again(h.monitor(), h.platform.services(), h.tabs);
    EXPECT_EQ(again.findChild<QStackedWidget*>()->currentIndex(),
              static_cast<int>(SettingsTab::positions));
    again.show();
    EXPECT_TRUE(waitUntil([&] {
        return again.centralWidget()->size() ==
               QSize(660, SettingsToolbar::contentHeight(SettingsTab::positions));
    }));
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
    EXPECT_TRUE(boxes.front()->text().contains(QStringLiteral("«video»")));
    boxes.front()->close();
}

TEST(SettingsWindow, toolbarIconsFollowALiveChangeOfScheme) {
    SettingsFixture h;
    Appearance::apply(ColorScheme::light);
    SettingsWindow& window = h.open(SettingsTab::general);
    auto* tabs = window.findChild<QTabBar*>();
    ASSERT_TRUE(tabs);
    // The brightest pixel of every page tab's icon, unselected ones included.
    auto brightest = [&] {
        int least = 255;
        for (int i = 0; i < tabs->count(); ++i) {
            const QImage image = tabs->tabIcon(i).pixmap(24, QIcon::Normal, QIcon::Off).toImage();
            int most = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y).alpha() > 128)
                        most = std::max(most, image.pixelColor(x, y).lightness());
            least = std::min(least, most);
        }
        return least;
    };
    ASSERT_LT(brightest(), 100);
    Appearance::apply(ColorScheme::dark);
    EXPECT_TRUE(waitUntil([&] { return brightest() > 180; }));
    Appearance::apply(ColorScheme::light);
}

} // namespace
} // namespace tisko::test
