// How the command line picks the kind of launch.
#include "Tisko/App/LaunchSwitches.h"

#include <gtest/gtest.h>

namespace tisko {
namespace {

using Kind = LaunchSwitches::Kind;

LaunchSwitches scan(std::initializer_list<const char*> items) {
    QStringList arguments{QStringLiteral("/usr/bin/tisko")};
    for (const char* item : items)
        arguments.append(QString::fromUtf8(item));
    return LaunchSwitches::scan(arguments);
}

TEST(LaunchSwitches, NoSwitchIsAPlainLaunch) {
    EXPECT_EQ(scan({}).kind, Kind::none);
    EXPECT_EQ(scan({"--unknown", "x"}).kind, Kind::none);
}

TEST(LaunchSwitches, SwitchesAreTakenInTheirOrderWhateverTheirPlace) {
    EXPECT_EQ(scan({"--check", "--look", "/tmp/a"}).kind, Kind::look);
    EXPECT_EQ(scan({"--hold", "3", "/tmp/h", "--look", "/tmp/a"}).kind, Kind::look);
    EXPECT_EQ(scan({"--check", "--show-settings"}).kind, Kind::showSettings);
    EXPECT_EQ(scan({"--render-windows", "/tmp/w", "--check"}).kind, Kind::check);
    EXPECT_EQ(scan({"--render-windows", "/tmp/w"}).path, QStringLiteral("/tmp/w"));
}

TEST(LaunchSwitches, ASwitchWithoutItsItemsIsIgnored) {
    EXPECT_EQ(scan({"--look"}).kind, Kind::none);
    const LaunchSwitches lookThenCheck = scan({"--check", "--look"});
    EXPECT_EQ(lookThenCheck.kind, Kind::check) << "the look has no path; the check still runs";
    EXPECT_EQ(scan({"--hold", "/tmp/h"}).kind, Kind::none);
    EXPECT_EQ(scan({"--render-windows"}).kind, Kind::none);
    const LaunchSwitches settings = scan({"--show-settings"});
    EXPECT_EQ(settings.kind, Kind::showSettings);
    EXPECT_FALSE(settings.tab.has_value());
    EXPECT_EQ(scan({"--show-settings", "detection"}).tab, QStringLiteral("detection"));
}

TEST(LaunchSwitches, OnlyTheFirstOccurrenceCounts) {
    EXPECT_EQ(scan({"--look", "/tmp/first", "--look", "/tmp/second"}).path,
              QStringLiteral("/tmp/first"));
    // The item right after the switch is its path, even when it looks like a switch.
    EXPECT_EQ(scan({"--look", "--check"}).path, QStringLiteral("--check"));
}

TEST(LaunchSwitches, HoldReadsSecondsAndAnOptionalWidth) {
    const LaunchSwitches hold = scan({"--hold", "2.5", "/tmp/h", "1280"});
    EXPECT_EQ(hold.kind, Kind::hold);
    EXPECT_EQ(hold.seconds, 2.5);
    EXPECT_EQ(hold.path, QStringLiteral("/tmp/h"));
    EXPECT_EQ(hold.width, 1280);

    EXPECT_EQ(scan({"--hold", "abc", "/tmp/h"}).seconds, 10);
    EXPECT_EQ(scan({"--hold", "nan", "/tmp/h"}).seconds, 10);
    EXPECT_EQ(scan({"--hold", "inf", "/tmp/h"}).seconds, 10);
    EXPECT_FALSE(scan({"--hold", "3", "/tmp/h"}).width.has_value());
    EXPECT_EQ(scan({"--hold", "3", "/tmp/h", "+640"}).width, 640);
    EXPECT_EQ(scan({"--hold", "3", "/tmp/h", "-1"}).width, -1);
    EXPECT_FALSE(scan({"--hold", "3", "/tmp/h", "wide"}).width.has_value());
    EXPECT_FALSE(scan({"--hold", "3", "/tmp/h", "2147483648"}).width.has_value());
    EXPECT_FALSE(scan({"--hold", "3", "/tmp/h", "64.5"}).width.has_value());
}

} // namespace
} // namespace tisko
