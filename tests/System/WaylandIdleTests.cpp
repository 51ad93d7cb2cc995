// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The compositor's idle notification, through a Wayland server speaking the protocol.
#include "EventLoop.h"
#include "IdleCompositor.h"
#include "TempHome.h"

#include "Tisko/Support/Log.h"
#include "Tisko/System/LinuxPresence.h"
#include "Tisko/System/WaylandIdle.h"

#include <gtest/gtest.h>

namespace tisko {
namespace {

using namespace std::chrono_literals;

TEST(CompositorIdle, onWaylandTheCompositorDecidesUntilItsConnectionEnds) {
    test::application();
    test::TempHome home;
    Log::restartForTesting();
    test::IdleCompositor compositor;
    ASSERT_FALSE(compositor.socket().isEmpty());
    const std::shared_ptr<WaylandIdle> idle = WaylandIdle::connect(compositor.socket());
    ASSERT_TRUE(idle);
    const QDBusConnection noBus(QStringLiteral("tisko-no-bus"));
    LinuxPresence presence({noBus, noBus, nullptr, nullptr, QString(), nullptr, 250ms, true, idle});

    EXPECT_EQ(presence.secondsSinceLastInput(), std::optional(0.0));
    compositor.idle();
    EXPECT_TRUE(test::waitUntil([&] { return presence.secondsSinceLastInput() >= 5.0; }));
    compositor.resume();
    EXPECT_TRUE(test::waitUntil([&] { return presence.secondsSinceLastInput() == 0.0; }));
    // A compositor gone tells nothing any more.
    compositor.stop();
    EXPECT_TRUE(test::waitUntil([&] { return !idle->idleSeconds(); }));
    EXPECT_EQ(presence.secondsSinceLastInput(), std::nullopt);
    Log::restartForTesting();
}

} // namespace
} // namespace tisko
