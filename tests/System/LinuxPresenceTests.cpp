// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "EventLoop.h"
#include "FakeDisplays.h"
#include "TempHome.h"

#include "Tisko/Support/Log.h"
#include "Tisko/System/LinuxPresence.h"
#include "Tisko/System/SysfsDrm.h"
#include "Tisko/System/WaylandIdle.h"

#include "ext-idle-notify-v1-server-protocol.h"

#include <wayland-server.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tisko {
namespace {

const QDateTime testNow =
    QDateTime::fromString(QStringLiteral("2025-03-14T09:26:53.000Z"), Qt::ISODateWithMs);

// Presence with no bus and no X server, so only the files of the test can answer.
class OfflinePresence : public ::testing::Test {
protected:
    void SetUp() override { Log::restartForTesting(); }
    void TearDown() override { Log::restartForTesting(); }
    LinuxPresence presence(const SysfsDrm* drm = nullptr) {
        return LinuxPresence({QDBusConnection(QStringLiteral("tisko-no-bus")),
                              QDBusConnection(QStringLiteral("tisko-no-bus")), nullptr, drm,
                              companionPath(), [] { return testNow; }});
    }
    // A new file for every write: QSettings caches files by size and modification time.
    QString companionPath() const {
        return m_dir.filePath(QStringLiteral("Despierto%1.conf").arg(m_writes));
    }
    void writeCompanion(const QByteArray& text) {
        ++m_writes;
        ASSERT_TRUE(test::writeFile(companionPath(), text));
    }

    test::TempHome m_home;
    QTemporaryDir m_dir;
    int m_writes = 0;
};

QByteArray nudgedAt(const QDateTime& date) {
    return "[General]\nkeepAwakeLastNudge=" + date.toString(Qt::ISODateWithMs).toLatin1() + "\n";
}

TEST_F(OfflinePresence, onlyADateUnderThirtySecondsOldUnderTheKeyIsANudge) {
    EXPECT_FALSE(presence().companionKeepingAwake()) << "no file at all";
    const std::pair<QByteArray, bool> cases[] = {
        {nudgedAt(testNow.addMSecs(-29'900)), true},
        {nudgedAt(testNow.addMSecs(-30'000)), false},
        {nudgedAt(testNow.addSecs(60)), true},       // a minute ahead: clocks may differ that much
        {nudgedAt(testNow.addMSecs(60'001)), false}, // further ahead is a bad date
        {"[General]\nkeepAwakeLastNudge=2025-03-14T10:26:40+01:00\n", true}, // read in its zone
        {"[General]\nkeepAwakeLastNudge=1741944410\n", false},
        {"[General]\nkeepAwakeLastNudge=2025-03-14\n", false},
        {"[General]\notherKey=" + testNow.toString(Qt::ISODate).toLatin1() + "\n", false},
        {"\x01\x02 not an ini file [[[", false},
    };
    for (const auto& [text, nudged] : cases) {
        writeCompanion(text);
        EXPECT_EQ(presence().companionKeepingAwake(), nudged) << text.constData();
    }

    // A date as QSettings itself writes it.
    ++m_writes;
    QSettings(companionPath(), QSettings::IniFormat)
        .setValue(QStringLiteral("keepAwakeLastNudge"), testNow.addSecs(-5));
    EXPECT_TRUE(presence().companionKeepingAwake());
}

// Without a desktop to ask, the DRM connectors in use decide; nobody answering means awake.
TEST_F(OfflinePresence, displaysSleepOnlyWhenEveryLitConnectorIsOff) {
    EXPECT_FALSE(presence().mainDisplayAsleep());
    EXPECT_EQ(presence().secondsSinceLastInput(), std::nullopt);
    test::FakeDrmTree tree;
    const QByteArray edid = test::edidBlob("DEL", 1, 1);
    tree.addConnector("card0-eDP-1", "connected", edid, "Off");
    tree.addConnector("card0-DP-1", "connected", edid, "Standby");
    // Disabled and disconnected connectors say nothing about the displays in use.
    tree.addConnector("card0-DP-2", "connected", edid, "On", "disabled");
    tree.addConnector("card0-DP-3", "disconnected", edid);
    SysfsDrm drm(tree.root());
    EXPECT_EQ(drm.displaysAsleep(), std::optional<bool>(true));
    EXPECT_TRUE(presence(&drm).mainDisplayAsleep());
    tree.addConnector("card0-HDMI-A-1", "connected", edid);
    EXPECT_EQ(drm.displaysAsleep(), std::optional<bool>(false));
    EXPECT_FALSE(presence(&drm).mainDisplayAsleep());

    test::FakeDrmTree empty;
    EXPECT_EQ(SysfsDrm(empty.root()).displaysAsleep(), std::nullopt);
}

using namespace std::chrono_literals;

// The compositor's idle notification, through a Wayland server speaking the protocol.
// A small Wayland server on its own thread and private socket, offering a seat and the idle
// notifier the way a compositor does; the test says, one byte at a time through a pipe, when
// the seat turns idle ('i') or active again ('r'), or when the server ends ('s').
struct IdleCompositor {
    IdleCompositor() {
        // The server names its socket inside the runtime folder.
        const std::optional<QByteArray> runtime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")
                                                      ? std::optional(qgetenv("XDG_RUNTIME_DIR"))
                                                      : std::nullopt;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
        const bool listening = wl_display_add_socket(display, "wayland-test") == 0;
        runtime ? qputenv("XDG_RUNTIME_DIR", *runtime) : qunsetenv("XDG_RUNTIME_DIR");
        if (!listening || ::pipe2(commands, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        socket = QFile::encodeName(dir.filePath(QStringLiteral("wayland-test")));
        wl_global_create(display, &wl_seat_interface, 1, this, bindSeat);
        wl_global_create(display, &ext_idle_notifier_v1_interface, 1, this, bindNotifier);
        source = wl_event_loop_add_fd(wl_display_get_event_loop(display), commands[0],
                                      WL_EVENT_READABLE, handleCommands, this);
        thread = std::thread([this] { wl_display_run(display); });
    }
    ~IdleCompositor() {
        if (thread.joinable()) {
            post('s');
            thread.join();
        }
        if (source) // the loop does not free the sources still added to it
            wl_event_source_remove(source);
        wl_display_destroy(display);
        for (const int end : commands)
            if (end >= 0)
                ::close(end);
    }
    void post(char command) {
        [[maybe_unused]] const ssize_t n = ::write(commands[1], &command, 1);
    }

    static IdleCompositor* of(wl_resource* resource) {
        return static_cast<IdleCompositor*>(wl_resource_get_user_data(resource));
    }
    static int handleCommands(int, std::uint32_t, void* data) {
        auto* self = static_cast<IdleCompositor*>(data);
        char command = 0;
        while (::read(self->commands[0], &command, 1) == 1) {
            if (command == 's') {
                wl_display_destroy_clients(self->display);
                wl_display_terminate(self->display);
            }
            for (wl_resource* notification : self->notifications) {
                if (command == 'i')
                    ext_idle_notification_v1_send_idled(notification);
                else
                    ext_idle_notification_v1_send_resumed(notification);
            }
        }
        wl_display_flush_clients(self->display);
        return 0;
    }
    static void destroy(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
    static void getNotification(wl_client* client, wl_resource* notifier, std::uint32_t id,
                                std::uint32_t, wl_resource*) {
        static const struct ext_idle_notification_v1_interface requests { destroy };
        wl_resource* notification = wl_resource_create(client, &ext_idle_notification_v1_interface,
                                                       wl_resource_get_version(notifier), id);
        wl_resource_set_implementation(
            notification, &requests, of(notifier),
            [](wl_resource* gone) { std::erase(of(gone)->notifications, gone); });
        of(notifier)->notifications.push_back(notification);
    }
    static void bindNotifier(wl_client* client, void* data, std::uint32_t version,
                             std::uint32_t id) {
        static const struct ext_idle_notifier_v1_interface requests { destroy, getNotification };
        wl_resource_set_implementation(
            wl_resource_create(client, &ext_idle_notifier_v1_interface, int(version), id),
            &requests, data, nullptr);
    }
    static void bindSeat(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
        wl_resource_set_implementation(
            wl_resource_create(client, &wl_seat_interface, int(version), id), nullptr, nullptr,
            nullptr);
    }

    QTemporaryDir dir;
    QByteArray socket;
    wl_display* display = wl_display_create();
    int commands[2] = {-1, -1};
    wl_event_source* source = nullptr;
    std::vector<wl_resource*> notifications;
    std::thread thread;
};

TEST(CompositorIdle, onWaylandTheCompositorDecidesUntilItsConnectionEnds) {
    test::application();
    test::TempHome home;
    Log::restartForTesting();
    IdleCompositor compositor;
    ASSERT_FALSE(compositor.socket.isEmpty());
    const std::shared_ptr<WaylandIdle> idle = WaylandIdle::connect(compositor.socket);
    ASSERT_TRUE(idle);
    const QDBusConnection noBus(QStringLiteral("tisko-no-bus"));
    LinuxPresence presence({noBus, noBus, nullptr, nullptr, QString(), nullptr, 250ms, true, idle});

    EXPECT_EQ(presence.secondsSinceLastInput(), std::optional(0.0));
    compositor.post('i');
    EXPECT_TRUE(test::waitUntil([&] { return presence.secondsSinceLastInput() >= 5.0; }));
    compositor.post('r');
    EXPECT_TRUE(test::waitUntil([&] { return presence.secondsSinceLastInput() == 0.0; }));
    // A compositor gone tells nothing any more.
    compositor.post('s');
    EXPECT_TRUE(test::waitUntil([&] { return !idle->idleSeconds(); }));
    EXPECT_EQ(presence.secondsSinceLastInput(), std::nullopt);
    Log::restartForTesting();
}

} // namespace
} // namespace tisko
