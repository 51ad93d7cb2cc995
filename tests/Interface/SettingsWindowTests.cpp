// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window's toolbar and its height per page; light and dark, from the desktop's
// preference through the settings portal.
#include "SettingsFixture.h"

#include "DBusMockCall.h"
#include "EventLoop.h"
#include "NotificationTestServers.h"

#include "Tisko/Camera/Cameras.h"
#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/SettingsToolbar.h"

#include <QAccessible>
#include <QDBusMessage>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

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

    // The shell keeps the tabs: a window opened again shows the last page at its height.
    h.tabs.setTab(SettingsTab::positions);
    SettingsWindow again(h.monitor(), h.platform.services(), h.tabs);
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

const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settings = QStringLiteral("org.freedesktop.portal.Settings");

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

} // namespace
} // namespace tisko::test
