// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The desktop's switch for Tisko's notifications, and the centre on the wire against
// python3-dbusmock's notification daemon on a bus of the test's own.
#include "DBusMockCall.h"
#include "LoggedLines.h"
#include "NotificationTestServers.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/Support/Translations.h"
#include "Tisko/System/DBusNotificationCenter.h"
#include "Tisko/System/NotificationPermission.h"
#include "Tisko/System/NotificationRouter.h"
#include "Tisko/System/NotificationSwitch.h"
#include "Tisko/System/Notifier.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <optional>

namespace tisko {
namespace {

using namespace std::chrono_literals;

const QString appEntry = QStringLiteral(TISKO_APP_ID);

TEST(NotificationSwitchTests, plasmaAndGnomeReadTheirSettingsAndAFailingGsettingsSaysOn) {
    test::application();
    QTemporaryDir config;
    const auto ask = [&](const QString& desktop, const QString& gsettings = u"gsettings"_qs,
                         int timeoutMs = 2000) {
        QObject context;
        std::vector<bool> answers;
        NotificationSwitch(appEntry, {desktop, config.path(), gsettings})
            .query(
                &context, [&](bool on) { answers.push_back(on); }, timeoutMs);
        EXPECT_TRUE(answers.empty()) << "answered synchronously";
        test::waitUntil([&] { return !answers.empty(); });
        test::spin(100ms);
        EXPECT_LE(answers.size(), 1u);
        return answers.empty() ? std::nullopt : std::optional<bool>(answers.front());
    };
    EXPECT_EQ(ask(u"KDE"_qs), true); // no plasmanotifyrc yet
    const QString rc = config.filePath(QStringLiteral("plasmanotifyrc"));
    const QByteArray group = "[Applications][" TISKO_APP_ID "]\n";
    ASSERT_TRUE(test::writeFile(rc, "[DoNotDisturb]\nUntil=x\n\n" + group + " ShowPopups = 0 \n"));
    EXPECT_EQ(ask(u"KDE"_qs), false);
    EXPECT_EQ(ask(u"XFCE"_qs), true) << "another desktop does not read Plasma's file";

    // Another application's group, the key outside any group, a later "true".
    for (const QByteArray& text :
         {QByteArray("[Applications][org.kde.konsole]\nShowPopups=false\n"),
          "ShowPopups=false\n" + group, group + "ShowPopups=false\nShowPopups=true\n"})
        EXPECT_TRUE(NotificationSwitch::plasmaShowsPopups(QString::fromUtf8(text), appEntry))
            << text.constData();

    // GNOME: gsettings with its key-file backend reads $XDG_CONFIG_HOME/glib-2.0/settings/keyfile.
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    EXPECT_EQ(ask(u"ubuntu:GNOME"_qs), true);
    const QString keyfile = config.filePath(QStringLiteral("glib-2.0/settings/keyfile"));
    const QByteArray gnome =
        "[org/gnome/desktop/notifications/application/io-github-tisko-tisko]\n";
    ASSERT_TRUE(test::writeFile(keyfile, gnome + "enable=false\n"));
    EXPECT_EQ(ask(u"ubuntu:GNOME"_qs), false);
    qunsetenv("GSETTINGS_BACKEND");
    qunsetenv("XDG_CONFIG_HOME");

    // A gsettings that never answers: the timeout answers instead, once.
    const QString hanging = config.filePath(QStringLiteral("gsettings"));
    ASSERT_TRUE(test::writeFile(hanging, "#!/bin/sh\nexec sleep 30\n"));
    QFile::setPermissions(hanging, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(ask(u"GNOME"_qs, hanging, 200), true);
}

// python3-dbusmock's notification daemon on a bus, logging every call it receives.
struct MockNotificationServer {
    // `capabilities`, space-separated, replaces the daemon's own.
    MockNotificationServer(const test::PrivateBus& bus, const QString& capabilities) {
        QStringList arguments = {u"-m"_qs,         u"dbusmock"_qs,
                                 u"--template"_qs, u"notification_daemon"_qs,
                                 u"--logfile"_qs,  dir.filePath(u"calls"_qs)};
        if (!capabilities.isEmpty())
            arguments << u"--parameters"_qs << u"{\"capabilities\": \"%1\"}"_qs.arg(capabilities);
        process.setProcessEnvironment(bus.environment());
        process.start(u"/usr/bin/python3"_qs, arguments);
        running = test::waitUntil(
            [&] {
                return process.state() != QProcess::NotRunning &&
                       bus.owns(u"org.freedesktop.Notifications"_qs);
            },
            15s);
    }
    ~MockNotificationServer() { test::endProcess(process); }
    // The Notify calls logged so far, one line each: the arguments as dbusmock prints them.
    QStringList notifies() const {
        QStringList found;
        for (const QString& line :
             QString::fromUtf8(test::readFile(dir.filePath(u"calls"_qs))).split(u'\n'))
            if (const qsizetype at = line.indexOf(u" Notify "); at >= 0)
                found << line.mid(at + 8);
        return found;
    }
    QTemporaryDir dir;
    QProcess process;
    bool running = false;
};

struct DBusNotificationCenterTests : ::testing::Test {
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
        center = std::make_unique<DBusNotificationCenter>(bus.connect(u"tisko"_qs),
                                                          NotificationSwitch(appEntry, {}));
    }
    // Starts the mock server with the capabilities given (or its own).
    void startServer(const QString& capabilities = {}) {
        server = std::make_unique<MockNotificationServer>(bus, capabilities);
        ASSERT_TRUE(server->running);
    }
    // The Notify calls the server has received so far; waits until there are `count`.
    QStringList notifies(qsizetype count) const {
        EXPECT_TRUE(test::waitUntil([&] { return server->notifies().size() >= count; }));
        return server->notifies();
    }

    test::TempHome home;
    test::PrivateBus bus;
    std::unique_ptr<DBusNotificationCenter> center;
    std::unique_ptr<MockNotificationServer> server;
};

TEST_F(DBusNotificationCenterTests, warningsCarryTheirHintsReplaceEachOtherAndTheNoticeIsApart) {
    ASSERT_NO_FATAL_FAILURE(startServer());
    startCenter();

    Notifier::post(PostureVerdict::fine(), {}, *center);
    Notifier::post(PostureVerdict::away(), {}, *center);
    Notifier::post(PostureVerdict::tooClose(1.3), {}, *center);
    SettingsStore::setSoundsEnabled(false);
    // Posted together: each is sent once the server has given the one before its id.
    Notifier::post(PostureVerdict::slouching(0.3), {}, *center);
    Notifier::post(PostureVerdict::slouching(0.3), {}, *center);
    const QStringList calls = notifies(3);
    ASSERT_EQ(calls.size(), 3);
    // app_name, replaces_id, icon, summary, body, actions, hints, timeout.
    const NotificationRequest close =
        *Notifier::postureRequest(PostureVerdict::tooClose(1.3), true);
    EXPECT_TRUE(
        calls[0].startsWith(u"\"Tisko\" 0 \"%1\" \"%2\" \"%3\" [\"default\", \"\"] {"_qs.arg(
            appEntry, close.title, close.body)))
        << calls[0].toStdString();
    EXPECT_TRUE(calls[0].contains(u"\"desktop-entry\": \"%1\""_qs.arg(appEntry)));
    EXPECT_TRUE(calls[0].contains(QStringLiteral("\"urgency\": 1")));
    EXPECT_TRUE(calls[0].contains(QStringLiteral("\"sound-name\": \"message-new-instant\"")));
    EXPECT_FALSE(calls[0].contains(QStringLiteral("suppress-sound")));
    for (const QString& call : calls.mid(1)) {
        EXPECT_TRUE(call.startsWith(u"\"Tisko\" 1 "_qs)) << call.toStdString();
        EXPECT_TRUE(call.contains(QStringLiteral("\"suppress-sound\": True")));
        EXPECT_FALSE(call.contains(QStringLiteral("sound-name")));
    }

    // A version from the feed with markup characters: this server reads markup.
    Notifier::postUpdate(QStringLiteral("2.0 <beta> & más"), *center);
    const QString notice = notifies(4).value(3);
    EXPECT_TRUE(notice.startsWith(QStringLiteral("\"Tisko\" 0 "))) << notice.toStdString();
    EXPECT_TRUE(notice.contains(QStringLiteral(" 2.0 &lt;beta&gt; &amp; más ")));
    EXPECT_TRUE(notice.contains(QStringLiteral("\"suppress-sound\": True")));
    EXPECT_FALSE(notice.contains(QStringLiteral("urgency")));

    Translations::install({u"en-US"_qs}); // a user who reads English is warned in English
    Notifier::post(PostureVerdict::slouching(0.3), {}, *center);
    EXPECT_TRUE(notifies(5).value(4).contains(u"\"You’re sinking into your chair\""_qs));
    Translations::install({u"es-ES"_qs});

    // Answers come back in order: once a later status query is answered, so are the posts'.
    NotificationStatus status;
    NotificationPermission::refresh(*center, status);
    ASSERT_TRUE(test::waitUntil([&] { return status.state() == PermissionState::granted; }));
    EXPECT_EQ(test::loggedErrors(), QStringList());
}

// No bus at all, then a bus with no server: the status is denied and warnings log once.
TEST_F(DBusNotificationCenterTests, withNoServerOrNoBusTheStatusIsDeniedAndWarningsLogOnce) {
    center = std::make_unique<DBusNotificationCenter>(
        QDBusConnection::connectToBus(u"unix:path=/nonexistent/tisko-test-bus"_qs, u"tisko"_qs),
        NotificationSwitch(appEntry, {}));
    Notifier::post(PostureVerdict::tooClose(1.3), {}, *center);
    Notifier::post(PostureVerdict::slouching(0.3), {}, *center);
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
    EXPECT_EQ(errors.filter(QStringLiteral("Aviso no entregado: no hay bus de sesión de D-Bus: ")),
              errors);
    EXPECT_EQ(errors.size(), 2);
    TearDown();
    QFile::remove(Log::filePath());
    startCenter();
    {
        // Gone before its answer: the answer is dropped.
        NotificationStatus transient;
        NotificationPermission::refresh(*center, transient);
    }
    status.setState(PermissionState::unknown);
    NotificationPermission::refresh(*center, status);
    ASSERT_TRUE(test::waitUntil([&] { return status.state() == PermissionState::denied; }));

    Notifier::post(PostureVerdict::tooClose(1.3), {}, *center);
    ASSERT_TRUE(test::waitUntil([&] { return !test::loggedErrors().isEmpty(); }));
    status.setState(PermissionState::unknown);
    NotificationPermission::refresh(*center, status); // answered after the post's calls
    ASSERT_TRUE(test::waitUntil([&] { return status.state() == PermissionState::denied; }));
    EXPECT_EQ(test::loggedErrors(),
              QStringList{QStringLiteral("Aviso no entregado: no hay servicio de avisos")});

    // A server that starts later is found without restarting the centre; this one does not
    // read markup, so the text goes as given.
    ASSERT_NO_FATAL_FAILURE(startServer(QStringLiteral("body actions")));
    NotificationPermission::refresh(*center, status);
    ASSERT_TRUE(test::waitUntil([&] { return status.state() == PermissionState::granted; }));
    granted.reset();
    Notifier::requestPermission([&](bool answer) { granted = answer; }, *center);
    ASSERT_TRUE(test::waitUntil([&] { return granted.has_value(); }));
    EXPECT_TRUE(*granted);
    Notifier::postUpdate(QStringLiteral("2.0 <beta> & más"), *center);
    EXPECT_TRUE(notifies(1).value(0).contains(QStringLiteral(" 2.0 <beta> & más ")));
}

// A program that takes the notification service's name on the bus: dunst, or one that
// never answers.
struct NameOwner {
    NameOwner(const test::PrivateBus& bus, const QString& program, const QStringList& arguments) {
        process.setProcessEnvironment(bus.environment());
        process.start(program, arguments);
        running =
            test::waitUntil([&] { return bus.owns(u"org.freedesktop.Notifications"_qs); }, 15s);
    }
    ~NameOwner() { test::endProcess(process); }
    QProcess process;
    bool running = false;
};

// The posture warning a Tisko left on the screen is replaced by the next Tisko's, as long as
// the file with its id names the same bus and server. dunst here keeps identical texts apart
// (by default it merges them itself, and the test could not fail).
TEST_F(DBusNotificationCenterTests, theNextTiskoReplacesTheWarningTheLastOneLeft) {
    const QString kept = home.stateHome() + u"/Tisko/aviso-postura"_qs;
    const QString config = home.path() + u"/dunstrc"_qs;
    ASSERT_TRUE(test::writeFile(config, "[global]\nstack_duplicates = false\n"
                                        "[urgency_normal]\ntimeout = 60\n"));
    // Whether the second run keeps the id, and whether the file then names another server.
    for (const auto& [keeps, otherServer, entries] :
         {std::tuple{true, false, 1}, {false, false, 2}, {true, true, 2}}) {
        QFile::remove(kept);
        const NameOwner dunst(bus, u"dunst"_qs, {u"-config"_qs, config});
        ASSERT_TRUE(dunst.running) << "dunst needs the display of tests/harness/run-headless";
        for (int run = 0; run < 2; ++run) {
            startCenter(); // a Tisko of its own, on a connection of its own
            if (keeps || run == 0)
                center->rememberIn(kept, Notifier::postureIdentifier());
            std::optional<bool> shown;
            Notifier::post(
                PostureVerdict::tooClose(1.3), [&](bool delivered) { shown = delivered; }, *center);
            ASSERT_TRUE(test::waitUntil([&] { return shown == true; }));
            TearDown();
            if (otherServer)
                test::writeFile(kept, test::readFile(kept).replace(" :", " :9"));
        }
        QString history;
        for (const QString& command : {u"close-all"_qs, u"history"_qs}) {
            QProcess control;
            control.setProcessEnvironment(bus.environment());
            control.start(u"dunstctl"_qs, {command});
            EXPECT_TRUE(control.waitForFinished(10000));
            history = QString::fromUtf8(control.readAllStandardOutput());
        }
        const NotificationRequest warning =
            *Notifier::postureRequest(PostureVerdict::tooClose(1.3), false);
        EXPECT_EQ(history.count(u"\"%1\""_qs.arg(warning.title)), entries) << keeps << otherServer;
    }
}

// What a warning would meet, and how each warning ends (shown, or one line with the cause),
// against real servers: one that never answers, dunst awake and paused (the pause announced),
// with the desktop's switch off or GNOME's banners off in a stand-in schema.
TEST_F(DBusNotificationCenterTests, theReachAndEachWarningsOutcomeFollowTheServerAndTheDesktop) {
    QTemporaryDir config;
    const QString schemas = config.filePath(u"schemas"_qs);
    QDir().mkpath(schemas);
    ASSERT_TRUE(test::writeFile(
        schemas + u"/stand-in.gschema.xml"_qs,
        "<schemalist><schema id=\"org.gnome.desktop.notifications\" "
        "path=\"/org/gnome/desktop/notifications/\"><key name=\"show-banners\" type=\"b\">"
        "<default>true</default></key></schema></schemalist>"));
    ASSERT_EQ(QProcess::execute(u"glib-compile-schemas"_qs, {schemas}), 0);
    ASSERT_TRUE(test::writeFile(config.filePath(u"glib-2.0/settings/keyfile"_qs),
                                "[org/gnome/desktop/notifications]\nshow-banners=false\n"));
    ASSERT_TRUE(test::writeFile(config.filePath(u"plasmanotifyrc"_qs),
                                "[Applications][" TISKO_APP_ID "]\nShowPopups=false\n"));
    ASSERT_TRUE(test::writeFile(config.filePath(u"dunstrc"_qs), ""));
    qputenv("GSETTINGS_SCHEMA_DIR", schemas.toLocal8Bit());
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // The reach on this desktop, then a warning's outcome: the error line, or none when shown.
    const auto ask = [&](const QString& desktop, const char* line) {
        TearDown();
        QFile::remove(Log::filePath());
        center = std::make_unique<DBusNotificationCenter>(
            bus.connect(u"tisko"_qs), NotificationSwitch(appEntry, {desktop, config.path()}),
            nullptr, 500);
        std::optional<NotificationReach> reach;
        std::optional<bool> shown;
        center->getReach([&](NotificationReach r) { reach = r; });
        Notifier::post(
            PostureVerdict::tooClose(1.3), [&](bool delivered) { shown = delivered; }, *center);
        EXPECT_TRUE(test::waitUntil([&] { return reach && shown; }));
        test::spin(50ms);
        EXPECT_EQ(shown, *line == '\0') << line;
        EXPECT_EQ(test::loggedErrors(),
                  *line ? QStringList{QString::fromUtf8(line)} : QStringList());
        return reach;
    };
    {
        const NameOwner hung(bus, u"/usr/bin/python3"_qs,
                             {u"-c"_qs, u"import dbus, time\ndbus.SessionBus().request_name("
                                        "'org.freedesktop.Notifications')\ntime.sleep(60)"_qs});
        EXPECT_EQ(ask(u"XFCE"_qs, "Aviso no entregado: el servicio de avisos no contesta"),
                  NotificationReach::noService);
    }
    const NameOwner dunst(bus, u"dunst"_qs, {u"-config"_qs, config.filePath(u"dunstrc"_qs)});
    ASSERT_TRUE(dunst.running) << "dunst needs the display of tests/harness/run-headless";
    EXPECT_EQ(ask(u"KDE"_qs, "Aviso no entregado: avisos denegados"), NotificationReach::denied);
    EXPECT_EQ(ask(u"GNOME"_qs, ""), NotificationReach::silenced);
    EXPECT_EQ(ask(u"XFCE"_qs, ""), NotificationReach::allowed);
    int announced = 0;
    QObject::connect(center.get(), &NotificationCenter::reachMayHaveChanged, [&] { ++announced; });
    QProcess pause;
    pause.setProcessEnvironment(bus.environment());
    pause.start(u"dunstctl"_qs, {u"set-paused"_qs, u"true"_qs});
    ASSERT_TRUE(test::waitUntil([&] { return announced > 0; }));
    EXPECT_EQ(ask(u"XFCE"_qs, ""), NotificationReach::silenced);
    for (const char* name : {"GSETTINGS_SCHEMA_DIR", "GSETTINGS_BACKEND", "XDG_CONFIG_HOME"})
        qunsetenv(name);
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

    // The login notice is quiet, and its button opens the window as a click does.
    int windows = 0;
    router.setWindowOpener([&] { ++windows; });
    ASSERT_TRUE(show(Notifier::loginNoticeRequest()));
    const QString notice = notifies(4).value(3);
    EXPECT_TRUE(notice.contains(u"[\"default\", \"\", \"button\", \"Abrir Tisko\"] {"_qs) &&
                notice.contains(QStringLiteral("\"urgency\": 0")));
    action(4, QStringLiteral("button"));
    action(4, QStringLiteral("default"));
    ASSERT_TRUE(test::waitUntil([&] { return windows == 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(checks, 1);
    QDBusConnection::disconnectFromBus(QStringLiteral("control"));
}

} // namespace
} // namespace tisko
