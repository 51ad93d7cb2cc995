// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Light and dark: the desktop's preference through the settings portal, and its changes.
#include "DBusMockCall.h"
#include "NotificationTestServers.h"

#include "Tisko/Interface/Appearance.h"

#include <QApplication>
#include <QDBusMessage>
#include <QStyle>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settings = QStringLiteral("org.freedesktop.portal.Settings");

TEST(AppearanceTest, followsThePortalWithoutWaitingForItAndRepaintsOnChange) {
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
    endProcess(mock);
}

} // namespace
} // namespace tisko::test
