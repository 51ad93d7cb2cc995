// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/Appcast.h"
#include "Tisko/System/UpdateSchedule.h"

#include <gtest/gtest.h>

namespace tisko {
namespace {

using namespace std::chrono_literals;

QByteArray channel(const QByteArray& items) {
    return "<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:up=\"urn:x-feed\"><channel>"
           "<title>Tisko</title>" +
           items + "</channel></rss>";
}

TEST(AppcastTests, readsElementsAndEnclosureAttributesAndDropsLinksOtherThanWeb) {
    const Appcast::Reading reading = Appcast::read(channel(
        "<item><up:version>0.3.0</up:version><up:shortVersionString>0.3</up:shortVersionString>"
        "<up:releaseNotesLink>https://e.org/n</up:releaseNotesLink><link>https://e.org/p</link>"
        "<enclosure url=\"https://e.org/t.deb\" length=\"9\"/></item>"
        "<item><enclosure url=\"https://e.org/b.deb\" up:version=\"0.10\"/></item>"
        "<item><up:version>1</up:version><link>file:///etc/passwd</link>"
        "<enclosure url=\"javascript:alert(1)\"/></item>"));
    ASSERT_EQ(reading.items.size(), 3u);
    EXPECT_TRUE(reading.problem.isEmpty());
    EXPECT_EQ(reading.items[0],
              (AppcastItem{QVersionNumber(0, 3, 0), u"0.3"_qs, QUrl(u"https://e.org/n"_qs),
                           QUrl(u"https://e.org/t.deb"_qs), QUrl(u"https://e.org/p"_qs)}));
    EXPECT_EQ(reading.items[1].displayVersion, u"0.10"_qs);
    EXPECT_TRUE(reading.items[2].downloadAddress().isEmpty());
}

TEST(AppcastTests, refusesWhatIsNotAFeedAndLeavesOutUnreadableVersions) {
    struct Case {
        const char* name;
        QByteArray document;
        bool refused;
        size_t items;
        const char* problem;
    };
    const Case cases[] = {
        {"cut short", channel("<item>").left(80), true, 0, "XML mal formado"},
        {"broken after good items", channel("<item><up:version>2</up:version></item>") + "<", true,
         0, "XML mal formado"},
        {"not RSS", "<html><body/></html>", true, 0, "RSS"},
        {"empty", "", true, 0, ""},
        {"unreadable version",
         channel("<item><up:version>2.0-beta</up:version></item>"
                 "<item><up:version>1.5</up:version></item>"),
         false, 1, "versión ilegible «2.0-beta»"},
        {"no version", channel("<item><title>x</title></item>"), false, 0, "versión ilegible"},
        {"endless version",
         channel("<item><up:version>1" + QByteArray(".0").repeated(35) + "</up:version></item>"),
         false, 0, "versión ilegible"},
        {"endless short version",
         channel("<item><up:version>2</up:version><up:shortVersionString>2 " + QByteArray(70, 'x') +
                 "</up:shortVersionString></item>"),
         false, 0, "versión ilegible"},
    };
    for (const Case& c : cases) {
        const Appcast::Reading reading = Appcast::read(c.document);
        EXPECT_EQ(reading.refused, c.refused) << c.name;
        EXPECT_EQ(reading.items.size(), c.items) << c.name;
        EXPECT_TRUE(reading.problem.contains(QString::fromUtf8(c.problem))) << c.name;
        EXPECT_FALSE(reading.problem.isEmpty()) << c.name;
    }
}

TEST(UpdateScheduleTests, dueTimes) {
    const Date launch = std::chrono::system_clock::time_point(1'000'000h);
    struct Case {
        const char* name;
        std::optional<Date> last;
        Date now;
        double jitter;
        Date due;
    };
    const Case cases[] = {
        {"never checked: a minute after launch", std::nullopt, launch, 0, launch + 1min},
        {"never checked, started long ago: now", std::nullopt, launch + 2h, 0, launch + 2h},
        {"checked an hour before launch", launch - 1h, launch, 0, launch + 5h},
        {"longest jitter", launch - 1h, launch, 1, launch + 5h + 36min},
        {"shortest jitter", launch - 1h, launch, -1, launch + 4h + 24min},
        {"jitter out of range is bounded", launch - 1h, launch, 7, launch + 5h + 36min},
        {"overdue: not before the launch grace", launch - 2 * 24h, launch, 0, launch + 1min},
        {"last check in the future counts as now", launch + 48h, launch + 10min, 0,
         launch + 6h + 10min},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UpdateSchedule::nextCheck(c.last, launch, c.now, c.jitter), c.due) << c.name;
}

} // namespace
} // namespace tisko
