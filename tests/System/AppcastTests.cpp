// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/Appcast.h"
#include "Tisko/System/UpdateSchedule.h"

#include <gtest/gtest.h>

#include <tuple>

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
    // Each document, whether it is refused whole, the items kept, and words of the problem.
    const std::tuple<QByteArray, bool, size_t, const char*> cases[] = {
        {channel("<item>").left(80), true, 0, "XML mal formado"},
        {channel("<item><up:version>2</up:version></item>") + "<", true, 0, "XML mal formado"},
        {"<html><body/></html>", true, 0, "RSS"},
        {"", true, 0, ""},
        {channel("<item><up:version>2.0-beta</up:version></item>"
                 "<item><up:version>1.5</up:version></item>"),
         false, 1, "versión ilegible «2.0-beta»"},
        {channel("<item><enclosure url=\"https://e.org/t.deb\" length=\"9\"/></item>"), false, 0,
         "versión ilegible"},
        {channel("<item><up:version>1" + QByteArray(".0").repeated(35) + "</up:version></item>"),
         false, 0, "versión ilegible"},
        {channel("<item><up:version>2</up:version><up:shortVersionString>2 " + QByteArray(70, 'x') +
                 "</up:shortVersionString></item>"),
         false, 0, "versión ilegible"},
    };
    for (const auto& [document, refused, items, problem] : cases) {
        const Appcast::Reading reading = Appcast::read(document);
        EXPECT_EQ(reading.refused, refused) << document.constData();
        EXPECT_EQ(reading.items.size(), items) << document.constData();
        EXPECT_TRUE(reading.problem.contains(QString::fromUtf8(problem))) << document.constData();
        EXPECT_FALSE(reading.problem.isEmpty()) << document.constData();
    }
}

// When the next check is due, from the last one, the launch and a jitter of -1 to 1.
TEST(UpdateScheduleTests, dueTimes) {
    const Date launch = std::chrono::system_clock::time_point(1'000'000h);
    const std::tuple<std::optional<Date>, Date, double, Date> cases[] = {
        {std::nullopt, launch + 2h, 0, launch + 2h},            // never checked, started long ago
        {launch - 1h, launch, 7, launch + 5h + 36min},          // the longest jitter, bounded
        {launch - 1h, launch, -7, launch + 4h + 24min},         // the shortest, bounded
        {launch - 2 * 24h, launch, 0, launch + 1min},           // overdue: after the launch grace
        {launch + 48h, launch + 10min, 0, launch + 6h + 10min}, // a last check ahead is now
    };
    for (const auto& [last, now, jitter, due] : cases)
        EXPECT_EQ(UpdateSchedule::nextCheck(last, launch, now, jitter), due)
            << std::chrono::duration_cast<std::chrono::minutes>(due - launch).count();
}

} // namespace
} // namespace tisko
