// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The probes that need no desktop: displays and their keys from EDIDs and the DRM tree, the
// chassis, and presence from files, with no bus, and from a Wayland compositor of the test's own.
#include <gtest/gtest.h>

#include "EventLoop.h"
#include "FakeDisplays.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/Support/Log.h"
#include "Tisko/System/Chassis.h"
#include "Tisko/System/DisplaySet.h"
#include "Tisko/System/Edid.h"
#include "Tisko/System/LinuxPresence.h"
#include "Tisko/System/SysfsDrm.h"
#include "Tisko/System/WaylandIdle.h"

#include "ext-idle-notify-v1-server-protocol.h"

#include <wayland-server.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tisko {
namespace {

using test::edidBlob;

// A made-up /sys/class/drm with connectors added by the test.
class FakeDrmTree {
public:
    // Adds or rewrites the connector's status, EDID, dpms state and enabled state.
    void addConnector(const char* name, const QByteArray& status, const QByteArray& edid,
                      const QByteArray& dpms = "On", const QByteArray& enabled = "enabled") {
        const QString folder = m_dir.filePath(QString::fromLatin1(name)) + QLatin1Char('/');
        test::writeFile(folder + QStringLiteral("status"), status + '\n');
        test::writeFile(folder + QStringLiteral("edid"), edid);
        test::writeFile(folder + QStringLiteral("dpms"), dpms + '\n');
        test::writeFile(folder + QStringLiteral("enabled"), enabled + '\n');
    }
    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// An EDID source that answers with fixed blobs, or not at all.
struct FixedSource : EdidSource {
    explicit FixedSource(std::optional<std::vector<QByteArray>> answer)
        : edids(std::move(answer)) {}
    std::optional<std::vector<QByteArray>> connectedEdids() override { return edids; }
    std::optional<std::vector<QByteArray>> edids;
};

TEST(DisplaySetKeyTests,
     edidsGiveIdentitiesAndTheKeyIsTheirSortedUuidsFromTheFirstSourceNamingOne) {
    EXPECT_EQ(Edid::parse(edidBlob("DEL", 0xA0C3, 0x4C3A3231)),
              (Edid{QStringLiteral("DEL"), 0xA0C3, 0x4C3A3231u, {}}));
    EXPECT_EQ(Edid::parse(edidBlob("GSM", 0x5B7F, 0, "308NTAB1C123")),
              (Edid{QStringLiteral("GSM"), 0x5B7F, 0, QStringLiteral("308NTAB1C123")}));
    QByteArray badHeader = edidBlob("DEL", 1, 2);
    badHeader[0] = 1;
    for (const QByteArray& blob : {QByteArray(), edidBlob("DEL", 1, 2).left(127), badHeader})
        EXPECT_FALSE(Edid::parse(blob));

    // The key is made of each display's UUID: stable, canonical, one per unit.
    const QByteArray first = edidBlob("DEL", 0xA0C3, 7);
    const QByteArray second = edidBlob("GSM", 0x5B7F, 0, "308NTAB1C123");
    const QString uuid = Edid::parse(first)->uuidText();
    // Positions are kept under these keys: the same display must keep its canonical UUID.
    EXPECT_EQ(uuid, QStringLiteral("5EB79B50-C495-5D2C-BC60-EA68963062F7"));
    // Same model, another unit whose serial is only in its text.
    EXPECT_NE(Edid::parse(edidBlob("GSM", 1, 0, "AAA1"))->uuidText(),
              Edid::parse(edidBlob("GSM", 1, 0, "AAA2"))->uuidText());

    const QString key = DisplaySet::keyFor({first, second});
    EXPECT_EQ(key, DisplaySet::keyFor({second, first}));
    QStringList uuids = {uuid, Edid::parse(second)->uuidText()};
    uuids.sort();
    EXPECT_EQ(key, QStringLiteral("displays:") + uuids.join(u'+'));
    EXPECT_EQ(DisplaySet::keyFor({first, QByteArray("garbage")}), DisplaySet::keyFor({first}));

    // The first source that names a display decides.
    FixedSource silent(std::nullopt);
    FixedSource withoutEdid(std::vector<QByteArray>{}); // Xwayland's outputs
    FixedSource answering(std::vector<QByteArray>{first});
    EXPECT_EQ(DisplaySet::currentKey({&silent, &withoutEdid, &answering}),
              DisplaySet::keyFor({first}));
    EXPECT_EQ(DisplaySet::currentKey({&silent}), QStringLiteral("displays:"));
}

TEST(SysfsDrmTests, connectedConnectorsWithEdidMakeTheKeyAndChassisTypesWithALidAreLaptops) {
    FakeDrmTree tree;
    const QByteArray laptop = edidBlob("BOE", 0x0868, 0);
    const QByteArray external = edidBlob("GSM", 0x5B7F, 0, "308NTAB1C123");
    tree.addConnector("card1-eDP-1", "connected", laptop);
    tree.addConnector("card1-HDMI-A-1", "connected", external);
    tree.addConnector("card1-DP-2", "disconnected", edidBlob("DEL", 1, 1));
    tree.addConnector("card1-Virtual-1", "connected", QByteArray());
    QDir().mkpath(tree.root() + QStringLiteral("/renderD128"));

    SysfsDrm drm(tree.root());
    EXPECT_EQ(DisplaySet::currentKey({&drm}), DisplaySet::keyFor({external, laptop}));
    // The key leaves out the connected output without an EDID; its connector still names it.
    EXPECT_EQ(drm.connectorsWithoutEdid(), QStringList{QStringLiteral("Virtual-1")});

    // A missing tree does not answer; an empty one names no display.
    EXPECT_FALSE(SysfsDrm(QStringLiteral("/nonexistent/tisko/drm")).connectedEdids());
    FakeDrmTree empty;
    SysfsDrm none(empty.root());
    EXPECT_EQ(DisplaySet::currentKey({&none}), QStringLiteral("displays:"));
    EXPECT_EQ(none.displaysAsleep(), std::nullopt);

    // The chassis: only types with a lid are laptops.
    QTemporaryDir dmi;
    const QString file = dmi.filePath(QStringLiteral("chassis_type"));
    EXPECT_FALSE(Chassis::isLaptop(file)) << "the firmware says nothing";
    for (const auto& [type, lid] : {std::pair{"9\n", true}, {"31\n", true}, {"3\n", false}}) {
        ASSERT_TRUE(test::writeFile(file, type));
        EXPECT_EQ(Chassis::isLaptop(file), lid) << type;
    }
}

const QDateTime testNow =
    QDateTime::fromString(QStringLiteral("2025-03-14T09:26:53.000Z"), Qt::ISODateWithMs);

// Presence with no bus and no X server, so only the files of the test can answer.
struct OfflinePresence : ::testing::Test {
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

TEST_F(OfflinePresence, aRecentNudgeKeepsAwakeAndDisplaysSleepOnlyWhenEveryLitConnectorIsOff) {
    EXPECT_FALSE(presence().companionKeepingAwake()) << "no file at all";
    const std::pair<QByteArray, bool> cases[] = {
        {nudgedAt(testNow.addMSecs(-29'900)), true},
        {nudgedAt(testNow.addMSecs(-30'000)), false},
        {nudgedAt(testNow.addSecs(60)), true},       // a minute ahead: clocks may differ that much
        {nudgedAt(testNow.addMSecs(60'001)), false}, // further ahead is a bad date
        {"[General]\nkeepAwakeLastNudge=2025-03-14T10:26:40+01:00\n", true}, // read in its zone
        {"[General]\nkeepAwakeLastNudge=1741944410\n", false},
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

    // Without a desktop to ask, the DRM connectors in use decide; nobody answering means awake.
    EXPECT_FALSE(presence().mainDisplayAsleep());
    EXPECT_EQ(presence().secondsSinceLastInput(), std::nullopt);
    FakeDrmTree tree;
    const QByteArray edid = edidBlob("DEL", 1, 1);
    tree.addConnector("card0-eDP-1", "connected", edid, "Off");
    tree.addConnector("card0-DP-1", "connected", edid, "Standby");
    // Disabled and disconnected connectors say nothing about the displays in use.
    tree.addConnector("card0-DP-2", "connected", edid, "On", "disabled");
    tree.addConnector("card0-DP-3", "disconnected", edid);
    SysfsDrm drm(tree.root());
    EXPECT_TRUE(presence(&drm).mainDisplayAsleep());
    tree.addConnector("card0-HDMI-A-1", "connected", edid);
    EXPECT_EQ(drm.displaysAsleep(), std::optional<bool>(false));
    EXPECT_FALSE(presence(&drm).mainDisplayAsleep());
}

using namespace std::chrono_literals;

// A small Wayland server on its own thread and private socket, offering a seat and the idle
// notifier the way a compositor does; the test says, one byte at a time through a pipe, when
// the seat turns idle ('i') or active again ('r'), or when the server ends ('s').
struct IdleCompositor {
    IdleCompositor() {
        // The server names its socket inside the runtime folder.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
        const bool listening = wl_display_add_socket(display, "wayland-test") == 0;
        runtime.isEmpty() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", runtime);
        if (!listening || ::pipe2(commands, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        socket = QFile::encodeName(dir.filePath(QStringLiteral("wayland-test")));
        wl_global_create(display, &wl_seat_interface, 1, this,
                         [](wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
                             wl_resource_create(client, &wl_seat_interface, int(version), id);
                         });
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
    QTemporaryDir dir;
    QByteArray socket;
    wl_display* display = wl_display_create();
    int commands[2] = {-1, -1};
    wl_event_source* source = nullptr;
    std::vector<wl_resource*> notifications;
    std::thread thread;
};

using CompositorIdle = OfflinePresence;

TEST_F(CompositorIdle, onWaylandTheCompositorDecidesUntilItsConnectionEnds) {
    test::application();
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
}

} // namespace
} // namespace tisko
