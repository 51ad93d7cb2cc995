// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DBusMockCall.h"
#include "NotificationTestServers.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/DBusNotificationCenter.h"
#include "Tisko/System/NotificationPermission.h"
#include "Tisko/System/NotificationRouter.h"
#include "Tisko/System/Notifier.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <optional>

namespace tisko {
namespace {

// The centre against python3-dbusmock's notification daemon, which logs every call with its
// arguments, on a bus of the test's own.
class DBusNotificationCenterTests : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        Log::restartForTesting();
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
    }
    void TearDown() override {
        center.reset();
        QDBusConnection::disconnectFromBus(u"tisko"_qs);
        Log::restartForTesting();
    }
    // Connects the centre to the bus (once a server, if any, is up).
    void startCenter() {
        center = std::make_unique<DBusNotificationCenter>(
            bus.connect(u"tisko"_qs), NotificationSwitch(QStringLiteral(TISKO_APP_ID), {}));
    }
    // Starts the mock server with the capabilities given (or its own).
    void startServer(const QString& capabilities = {}) {
        server = std::make_unique<test::MockNotificationServer>(bus, capabilities);
        ASSERT_TRUE(server->isRunning());
    }
    // The Notify calls the server has received so far; waits until there are `count`.
    QStringList notifies(qsizetype count) const {
        EXPECT_TRUE(test::waitUntil(
            [&] { return server->calls(QStringLiteral("Notify")).size() >= count; }));
        return server->calls(QStringLiteral("Notify"));
    }

    test::TempHome home;
    test::PrivateBus bus;
    std::unique_ptr<DBusNotificationCenter> center;
    std::unique_ptr<test::MockNotificationServer> server;
};

TEST_F(DBusNotificationCenterTests, warningsCarryTheirHintsReplaceEachOtherAndTheNoticeIsApart) {
    ASSERT_NO_FATAL_FAILURE(startServer());
    startCenter();

    Notifier::post(PostureVerdict::fine(), *center);
    Notifier::post(PostureVerdict::away(), *center);
    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    SettingsStore::setSoundsEnabled(false);
    // Posted together: each is sent once the server has given the one before its id.
    Notifier::post(PostureVerdict::slouching(0.3), *center);
    Notifier::post(PostureVerdict::slouching(0.3), *center);
    const QStringList calls = notifies(3);
    ASSERT_EQ(calls.size(), 3);
    // app_name, replaces_id, icon, summary, body, actions, hints, timeout.
    EXPECT_TRUE(calls[0].startsWith(
        QStringLiteral("\"Tisko\" 0 \"" TISKO_APP_ID "\" \"Estás muy cerca de la pantalla\" "
                       "\"Echa la espalda atrás y aleja un poco la cara.\" [\"default\", \"\"] {")))
        << calls[0].toStdString();
    EXPECT_TRUE(calls[0].contains(QStringLiteral("\"desktop-entry\": \"" TISKO_APP_ID "\"")));
    EXPECT_TRUE(calls[0].contains(QStringLiteral("\"urgency\": 1")));
    EXPECT_TRUE(calls[0].contains(QStringLiteral("\"sound-name\": \"message-new-instant\"")));
    EXPECT_FALSE(calls[0].contains(QStringLiteral("suppress-sound")));
    for (const QString& call : calls.mid(1)) {
        EXPECT_TRUE(call.startsWith(
            QStringLiteral("\"Tisko\" 1 \"" TISKO_APP_ID "\" \"Te estás hundiendo en la silla\"")))
            << call.toStdString();
        EXPECT_TRUE(call.contains(QStringLiteral("\"suppress-sound\": True")));
        EXPECT_FALSE(call.contains(QStringLiteral("sound-name")));
    }

    // A version from the feed with markup characters: this server reads markup.
    Notifier::postUpdate(QStringLiteral("2.0 <beta> & más"), *center);
    const QString notice = notifies(4).value(3);
    EXPECT_TRUE(notice.startsWith(
        QStringLiteral("\"Tisko\" 0 \"" TISKO_APP_ID "\" \"Hay una versión nueva de Tisko\" "
                       "\"La 2.0 &lt;beta&gt; &amp; más está lista. Pulsa para actualizar.\"")))
        << notice.toStdString();
    EXPECT_TRUE(notice.contains(QStringLiteral("\"suppress-sound\": True")));
    EXPECT_FALSE(notice.contains(QStringLiteral("urgency")));

    // Answers come back in order: once a later status query is answered, so are the posts'.
    NotificationStatus status;
    NotificationPermission::refresh(*center, status);
    ASSERT_TRUE(test::waitUntil([&] { return status.state() == PermissionState::granted; }));
    EXPECT_TRUE(test::loggedErrors().isEmpty())
        << test::loggedErrors().join(QLatin1Char('\n')).toStdString();
}

TEST_F(DBusNotificationCenterTests, withNoServerTheStatusIsDeniedAndAWarningLogsBothLinesOnce) {
    startCenter();
    {
        // Gone before its answer: the answer is dropped.
        NotificationStatus transient;
        NotificationPermission::refresh(*center, transient);
    }
    NotificationStatus status;
    NotificationPermission::refresh(*center, status);
    ASSERT_TRUE(test::waitUntil([&] { return status.state() == PermissionState::denied; }));

    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    ASSERT_TRUE(test::waitUntil([&] { return test::loggedErrors().size() >= 2; }));
    status.setState(PermissionState::unknown);
    NotificationPermission::refresh(*center, status); // answered after the post's calls
    ASSERT_TRUE(test::waitUntil([&] { return status.state() == PermissionState::denied; }));
    const QStringList lines = test::loggedErrors();
    ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines.count(QStringLiteral("Aviso sin permiso de notificaciones (estado 1)")), 1);
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^Aviso: .+"))).size(), 1);

    // A server that starts later is found without restarting the centre; this one does not
    // read markup, so the text goes as given.
    ASSERT_NO_FATAL_FAILURE(startServer(QStringLiteral("body actions")));
    NotificationPermission::refresh(*center, status);
    ASSERT_TRUE(test::waitUntil([&] { return status.state() == PermissionState::granted; }));
    std::optional<bool> granted;
    Notifier::requestPermission([&](bool answer) { granted = answer; }, *center);
    ASSERT_TRUE(test::waitUntil([&] { return granted.has_value(); }));
    EXPECT_TRUE(*granted);
    Notifier::postUpdate(QStringLiteral("2.0 <beta> & más"), *center);
    EXPECT_TRUE(notifies(1).value(0).contains(QStringLiteral("\"La 2.0 <beta> & más está lista.")));
}

// A session without any bus: warnings log one line each, and nothing else breaks.
TEST_F(DBusNotificationCenterTests, withoutABusEachWarningLogsOneLineAndTheStatusIsDenied) {
    center = std::make_unique<DBusNotificationCenter>(
        QDBusConnection::connectToBus(u"unix:path=/nonexistent/tisko-test-bus"_qs, u"tisko"_qs),
        NotificationSwitch(QStringLiteral(TISKO_APP_ID), {}));
    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    Notifier::post(PostureVerdict::slouching(0.3), *center);
    Notifier::postUpdate(QStringLiteral("2.0"), *center);
    Notifier::removeUpdate(*center);

    std::optional<bool> granted;
    Notifier::requestPermission([&](bool answer) { granted = answer; }, *center);
    NotificationStatus status;
    NotificationPermission::refresh(*center, status);
    ASSERT_TRUE(test::waitUntil(
        [&] { return granted.has_value() && status.state() == PermissionState::denied; }));
    EXPECT_FALSE(*granted);
    const QStringList errors = test::loggedErrors();
    ASSERT_EQ(errors.size(), 2) << errors.join(QLatin1Char('\n')).toStdString();
    for (const QString& error : errors)
        EXPECT_TRUE(error.startsWith(QStringLiteral("Aviso: no hay bus de sesión de D-Bus: ")))
            << error.toStdString();
}

TEST_F(DBusNotificationCenterTests, aClickCountsOnlyForItsOwnNotificationsAndUntilItIsClosed) {
    ASSERT_NO_FATAL_FAILURE(startServer());
    startCenter();
    QStringList clicked;
    QObject::connect(center.get(), &NotificationCenter::activated,
                     [&](const QString& identifier) { clicked << identifier; });
    // Only a click on the update notice starts a check.
    int checks = 0;
    NotificationRouter router(*center);
    router.setUpdateCheck([&] { ++checks; });

    // Adds a request and waits until the server has given it its id.
    const auto show = [&](const NotificationRequest& request) {
        bool answered = false;
        center->add(request, [&](const QString&) { answered = true; });
        return test::waitUntil([&] { return answered; });
    };
    ASSERT_TRUE(show(Notifier::updateRequest(QStringLiteral("2.0"))));

    // The server says id 1 (ours) and id 7 (not ours) were clicked, and a button on id 1.
    QDBusConnection control = bus.connect(u"control"_qs);
    const QString service = u"org.freedesktop.Notifications"_qs;
    const auto emitSignal = [&](const QString& name, const QString& signature,
                                const QVariantList& values) {
        test::callDBusMock(control, service, u"/org/freedesktop/Notifications"_qs, u"EmitSignal"_qs,
                           {service, name, signature, values});
    };
    const auto action = [&](uint id, const QString& key) {
        emitSignal(u"ActionInvoked"_qs, u"us"_qs, {QVariant::fromValue(id), key});
    };
    action(7, QStringLiteral("default"));
    action(1, QStringLiteral("other"));
    action(1, QStringLiteral("default"));
    ASSERT_TRUE(test::waitUntil([&] { return checks > 0; }));
    EXPECT_EQ(clicked, QStringList{Notifier::updateIdentifier()});

    // Closed by the user: its id no longer counts, and the next notice is a new one. The
    // server's signals arrive in order, so once the click on the warning (id 2) is in, so is
    // everything before it.
    emitSignal(QStringLiteral("NotificationClosed"), QStringLiteral("uu"),
               {QVariant::fromValue(1u), QVariant::fromValue(2u)});
    action(1, QStringLiteral("default"));
    ASSERT_TRUE(show(*Notifier::postureRequest(PostureVerdict::tooClose(1.3), false)));
    action(2, QStringLiteral("default"));
    ASSERT_TRUE(test::waitUntil([&] { return clicked.size() == 2; }));
    EXPECT_EQ(clicked, (QStringList{Notifier::updateIdentifier(), Notifier::postureIdentifier()}));
    Notifier::postUpdate(QStringLiteral("2.1"), *center);
    EXPECT_TRUE(notifies(3).value(2).startsWith(QStringLiteral("\"Tisko\" 0 ")));
    QCoreApplication::processEvents();
    EXPECT_EQ(checks, 1);
    QDBusConnection::disconnectFromBus(QStringLiteral("control"));
}

} // namespace
} // namespace tisko
