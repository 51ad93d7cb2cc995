#include "NotificationTestServers.h"

#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/NotificationPermission.h"
#include "Tisko/System/Notifier.h"

#include <QDBusMessage>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <optional>

namespace tisko {
namespace {

using namespace std::chrono_literals;

// The centre against python3-dbusmock's notification daemon, which logs every call with its
// arguments, on a bus of the test's own.
class DBusNotificationCenterTest : public test::NotificationBusTest {
protected:
    // Starts the mock server with the capabilities given (or its own), then the centre.
    void startWithServer(const QString& capabilities = {}) {
        server = std::make_unique<test::MockNotificationServer>(bus, capabilities);
        ASSERT_TRUE(server->isRunning());
        startCenter();
    }
    // The Notify calls the server has received so far; waits until there are `count`.
    QStringList notifies(qsizetype count) const {
        EXPECT_TRUE(test::waitUntil(
            [&] { return server->calls(QStringLiteral("Notify")).size() >= count; }));
        return server->calls(QStringLiteral("Notify"));
    }

    std::unique_ptr<test::MockNotificationServer> server;
};

TEST_F(DBusNotificationCenterTest, aWarningCarriesItsHintsAndReplacesTheLastOne) {
    ASSERT_NO_FATAL_FAILURE(startWithServer());

    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    ASSERT_EQ(notifies(1).size(), 1);
    SettingsStore::setSoundsEnabled(false);
    Notifier::post(PostureVerdict::slouching(0.3), *center);
    const QStringList calls = notifies(2);
    ASSERT_EQ(calls.size(), 2);
    // app_name, replaces_id, icon, summary, body, actions, hints, timeout.
    EXPECT_TRUE(calls[0].startsWith(
        QStringLiteral("\"Tisko\" 0 \"\" \"Estás muy cerca de la pantalla\" "
                       "\"Echa la espalda atrás y aleja un poco la cara.\" [\"default\", \"\"] {")))
        << calls[0].toStdString();
    EXPECT_TRUE(calls[0].contains(QStringLiteral("\"desktop-entry\": \"" TISKO_APP_ID "\"")));
    EXPECT_TRUE(calls[0].contains(QStringLiteral("\"urgency\": 1")));
    EXPECT_TRUE(calls[0].contains(QStringLiteral("\"sound-name\": \"message-new-instant\"")));
    EXPECT_FALSE(calls[0].contains(QStringLiteral("suppress-sound")));

    // The mock answered the first with id 1, so the second replaces it.
    EXPECT_TRUE(
        calls[1].startsWith(QStringLiteral("\"Tisko\" 1 \"\" \"Te estás hundiendo en la silla\"")))
        << calls[1].toStdString();
    EXPECT_TRUE(calls[1].contains(QStringLiteral("\"suppress-sound\": True")));
    EXPECT_FALSE(calls[1].contains(QStringLiteral("sound-name")));
    test::spin(100ms);
    EXPECT_TRUE(test::loggedErrors().isEmpty())
        << test::loggedErrors().join(QLatin1Char('\n')).toStdString();
}

TEST_F(DBusNotificationCenterTest, warningsPostedTogetherStillReplaceEachOther) {
    ASSERT_NO_FATAL_FAILURE(startWithServer());

    // The second is sent only once the server has given the first its id.
    for (int i = 0; i < 3; ++i)
        Notifier::post(PostureVerdict::tooClose(1.3), *center);
    const QStringList calls = notifies(3);
    ASSERT_EQ(calls.size(), 3);
    EXPECT_TRUE(calls[0].startsWith(QStringLiteral("\"Tisko\" 0 ")));
    EXPECT_TRUE(calls[1].startsWith(QStringLiteral("\"Tisko\" 1 ")));
    EXPECT_TRUE(calls[2].startsWith(QStringLiteral("\"Tisko\" 1 ")));
}

TEST_F(DBusNotificationCenterTest, theUpdateNoticeHasItsOwnIdAndItsTextStaysAsGiven) {
    ASSERT_NO_FATAL_FAILURE(startWithServer());

    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    ASSERT_EQ(notifies(1).size(), 1);
    // A version from the feed with markup characters: the server reads markup.
    Notifier::postUpdate(QStringLiteral("2.0 <beta> & más"), *center);
    const QString notice = notifies(2).value(1);
    EXPECT_TRUE(notice.startsWith(
        QStringLiteral("\"Tisko\" 0 \"\" \"Hay una versión nueva de Tisko\" "
                       "\"La 2.0 &lt;beta&gt; &amp; más está lista. Pulsa para actualizar.\"")))
        << notice.toStdString();
    EXPECT_TRUE(notice.contains(QStringLiteral("\"suppress-sound\": True")));
    EXPECT_FALSE(notice.contains(QStringLiteral("urgency")));
}

TEST_F(DBusNotificationCenterTest, aServerWithoutMarkupGetsTheTextUntouched) {
    ASSERT_NO_FATAL_FAILURE(startWithServer(QStringLiteral("body actions")));
    Notifier::postUpdate(QStringLiteral("2.0 <beta> & más"), *center);
    EXPECT_TRUE(notifies(1).value(0).contains(QStringLiteral("\"La 2.0 <beta> & más está lista.")));
}

TEST_F(DBusNotificationCenterTest, withNoServerTheStatusIsDeniedAndAWarningLogsBothLinesOnce) {
    startCenter();

    NotificationStatus status;
    NotificationPermission::refresh(*center, status);
    ASSERT_TRUE(test::waitUntil([&] { return status.state() == PermissionState::denied; }));

    Notifier::post(PostureVerdict::tooClose(1.3), *center);
    ASSERT_TRUE(test::waitUntil([&] { return test::loggedErrors().size() >= 2; }));
    test::spin(200ms);
    const QStringList lines = test::loggedErrors();
    ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines.count(QStringLiteral("Aviso sin permiso de notificaciones (estado 1)")), 1);
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^Aviso: .+"))).size(), 1);

    // A server that starts later is found without restarting the centre.
    server = std::make_unique<test::MockNotificationServer>(bus);
    ASSERT_TRUE(server->isRunning());
    NotificationPermission::refresh(*center, status);
    ASSERT_TRUE(test::waitUntil([&] { return status.state() == PermissionState::granted; }));
    std::optional<bool> granted;
    Notifier::requestPermission([&](bool answer) { granted = answer; }, *center);
    ASSERT_TRUE(test::waitUntil([&] { return granted.has_value(); }));
    EXPECT_TRUE(*granted);
}

TEST_F(DBusNotificationCenterTest, aClickReachesTheCentreOnlyForItsOwnNotifications) {
    ASSERT_NO_FATAL_FAILURE(startWithServer());
    QStringList clicked;
    QObject::connect(center.get(), &NotificationCenter::activated,
                     [&](const QString& identifier) { clicked << identifier; });

    Notifier::postUpdate(QStringLiteral("2.0"), *center);
    ASSERT_EQ(notifies(1).size(), 1);
    test::spin(100ms);

    // The server says id 1 (ours) and id 7 (not ours) were clicked, and a button on id 1.
    QDBusConnection control = bus.connect(QStringLiteral("control"));
    auto emitAction = [&](uint id, const QString& key) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),  // service
            QStringLiteral("/org/freedesktop/Notifications"), // path
            QStringLiteral("org.freedesktop.DBus.Mock"),      // interface
            QStringLiteral("EmitSignal"));
        call << QStringLiteral("org.freedesktop.Notifications") // interface
             << QStringLiteral("ActionInvoked")                 // name
             << QStringLiteral("us")                            // signature
             << QVariantList{QVariant::fromValue(id), key};     // arguments
        control.call(call);
    };
    emitAction(7, QStringLiteral("default"));
    emitAction(1, QStringLiteral("other"));
    emitAction(1, QStringLiteral("default"));
    ASSERT_TRUE(test::waitUntil([&] { return !clicked.isEmpty(); }));
    test::spin(100ms);
    EXPECT_EQ(clicked, QStringList{Notifier::updateIdentifier()});
    QDBusConnection::disconnectFromBus(QStringLiteral("control"));
}

} // namespace
} // namespace tisko
