// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "FakeDisplays.h"

#include "Tisko/System/Chassis.h"
#include "Tisko/System/DisplaySet.h"
#include "Tisko/System/Edid.h"
#include "Tisko/System/SysfsDrm.h"

#include <QDir>
#include <QTemporaryDir>

namespace tisko {
namespace {

using test::edidBlob;
using test::FakeDrmTree;

// An EDID source that answers with fixed blobs, or not at all.
class FixedSource : public EdidSource {
public:
    explicit FixedSource(std::optional<std::vector<QByteArray>> edids)
        : m_edids(std::move(edids)) {}
    std::optional<std::vector<QByteArray>> connectedEdids() override {
        ++calls;
        return m_edids;
    }
    int calls = 0;

private:
    std::optional<std::vector<QByteArray>> m_edids;
};

TEST(EdidTests, readsIdentityFieldsFromTheRealLayoutAndRefusesOtherBlobs) {
    EXPECT_EQ(Edid::parse(edidBlob("DEL", 0xA0C3, 0x4C3A3231)),
              (Edid{QStringLiteral("DEL"), 0xA0C3, 0x4C3A3231u, {}}));
    EXPECT_EQ(Edid::parse(edidBlob("GSM", 0x5B7F, 0, "308NTAB1C123")),
              (Edid{QStringLiteral("GSM"), 0x5B7F, 0, QStringLiteral("308NTAB1C123")}));
    QByteArray badHeader = edidBlob("DEL", 1, 2);
    badHeader[0] = 1;
    for (const QByteArray& blob : {QByteArray(), edidBlob("DEL", 1, 2).left(127), badHeader})
        EXPECT_FALSE(Edid::parse(blob));
}

// The key is made of each display's UUID: stable, canonical, one per unit.
TEST(DisplaySetKeyTests, isSortedUuidsLeavesOutWhatHasNoEdidAndTheFirstSourceNamingOneDecides) {
    const QByteArray first = edidBlob("DEL", 0xA0C3, 7);
    const QByteArray second = edidBlob("GSM", 0x5B7F, 0, "308NTAB1C123");
    const QString uuid = Edid::parse(first)->uuidText();
    // Positions are kept under these keys: the same display must keep its canonical UUID.
    EXPECT_EQ(uuid, QStringLiteral("5EB79B50-C495-5D2C-BC60-EA68963062F7"));
    // Same model, another unit: only the serial differs, numeric or text.
    EXPECT_NE(uuid, Edid::parse(edidBlob("DEL", 0xA0C3, 8))->uuidText());
    EXPECT_NE(Edid::parse(edidBlob("GSM", 1, 0, "AAA1"))->uuidText(),
              Edid::parse(edidBlob("GSM", 1, 0, "AAA2"))->uuidText());
    EXPECT_NE(uuid, Edid::parse(edidBlob("DEM", 0xA0C3, 7))->uuidText());

    const QString key = DisplaySet::keyFor({first, second});
    EXPECT_EQ(key, DisplaySet::keyFor({second, first}));
    QStringList uuids = {uuid, Edid::parse(second)->uuidText()};
    uuids.sort();
    EXPECT_EQ(key, QStringLiteral("displays:") + uuids.join(u'+'));
    EXPECT_EQ(DisplaySet::keyFor({}), QStringLiteral("displays:"));
    EXPECT_EQ(DisplaySet::keyFor({QByteArray("garbage")}), QStringLiteral("displays:"));
    EXPECT_EQ(DisplaySet::keyFor({first, QByteArray("garbage")}), DisplaySet::keyFor({first}));

    // The first source that names a display decides.
    FixedSource silent(std::nullopt);
    FixedSource withoutEdid(std::vector<QByteArray>{}); // Xwayland's outputs
    FixedSource answering(std::vector<QByteArray>{first});
    FixedSource later(std::vector<QByteArray>{});
    EXPECT_EQ(DisplaySet::currentKey({&silent, &withoutEdid, &answering, &later}),
              DisplaySet::keyFor({first}));
    EXPECT_EQ(later.calls, 0);
    EXPECT_EQ(DisplaySet::currentKey({&silent}), QStringLiteral("displays:"));
}

TEST(SysfsDrmTests, connectedConnectorsWithEdidMakeTheKey) {
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
}

TEST(ChassisTests, onlyChassisTypesWithALidAreLaptops) {
    QTemporaryDir dmi;
    const QString file = dmi.filePath(QStringLiteral("chassis_type"));
    EXPECT_FALSE(Chassis::isLaptop(file)) << "the firmware says nothing";
    for (const auto& [type, laptop] : {std::pair{"9\n", true}, {"31\n", true}, {"3\n", false}}) {
        ASSERT_TRUE(test::writeFile(file, type));
        EXPECT_EQ(Chassis::isLaptop(file), laptop) << type;
    }
}

} // namespace
} // namespace tisko
