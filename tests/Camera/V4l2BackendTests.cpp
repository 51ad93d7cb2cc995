// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EventLoop.h"
#include "FakeV4l2System.h"
#include "Tisko/Camera/V4l2Backend.h"

#include <gtest/gtest.h>

using namespace tisko;

namespace {

// Counts the frames a backend hands over from its thread, with and without pixels.
struct Frames {
    std::atomic<int> withPixels{0};
    std::atomic<int> without{0};

    CameraBackend::FrameHandler handler() {
        return [this](std::shared_ptr<const CapturedFrame> frame) {
            ++(frame->pixels() ? withPixels : without);
        };
    }
    bool waitFor(int total) {
        return test::waitUntil([&] { return withPixels + without >= total; });
    }
};

} // namespace

TEST(V4l2Backend, listsSizesOnceInDeviceOrderAndReadsTheActiveOne) {
    test::FakeV4l2System system;
    system.sizes = {{640, 480}, {1280, 720}, {640, 480}, {1920, 1080}};
    system.width = 1280;
    system.height = 720;
    V4l2Backend backend(QStringLiteral("/dev/video0"), system);
    ASSERT_TRUE(backend.open());
    EXPECT_EQ(backend.activeFormat(), (FrameSize{1280, 720}));
    EXPECT_EQ(backend.formats(), (std::vector<FrameSize>{{640, 480}, {1280, 720}, {1920, 1080}}));
}

TEST(V4l2Backend, refusesNodesThatAreNotCaptureDevicesCannotBeOpenedOrAreBusy) {
    test::FakeV4l2System metadata;
    metadata.metadataNodes = {QStringLiteral("video1")};
    V4l2Backend node(QStringLiteral("/dev/video1"), metadata);
    EXPECT_FALSE(node.open());
    EXPECT_EQ(metadata.openNodes, 0) << "the refused node is closed again";

    test::FakeV4l2System missing;
    missing.missing = true;
    V4l2Backend gone(QStringLiteral("/dev/video9"), missing);
    EXPECT_FALSE(gone.open());
    EXPECT_FALSE(gone.start([](auto) {}));

    test::FakeV4l2System system;
    V4l2Backend backend(QStringLiteral("/dev/video0"), system);
    ASSERT_TRUE(backend.open());
    system.busy = true;
    EXPECT_FALSE(backend.setFormat({640, 480}));
    EXPECT_FALSE(backend.start([](auto) {}));
    EXPECT_FALSE(backend.isRunning());
    EXPECT_TRUE(backend.busy());
}

TEST(V4l2Backend, streamsReadableFramesAndReleasesEverythingOnStop) {
    test::FakeV4l2System system;
    V4l2Backend backend(QStringLiteral("/dev/video0"), system);
    ASSERT_TRUE(backend.open());
    ASSERT_TRUE(backend.setFormat({1280, 720}));
    Frames frames;
    ASSERT_TRUE(backend.start(frames.handler()));
    EXPECT_TRUE(backend.isRunning());
    ASSERT_TRUE(frames.waitFor(3));
    backend.stop();
    EXPECT_FALSE(backend.isRunning());
    EXPECT_EQ(frames.without, 0);
    EXPECT_EQ(system.mapped, 0);
    EXPECT_FALSE(system.streaming);
    EXPECT_EQ(system.openNodes, 0);
}

TEST(V4l2Backend, aFailedDequeueIsAFrameWithoutPicturesAndAVanishedDeviceEndsTheStream) {
    test::FakeV4l2System system;
    system.failNextDequeues = 2;
    V4l2Backend backend(QStringLiteral("/dev/video0"), system);
    ASSERT_TRUE(backend.open());
    Frames frames;
    ASSERT_TRUE(backend.start(frames.handler()));
    ASSERT_TRUE(frames.waitFor(4));
    EXPECT_EQ(frames.without, 2);
    EXPECT_GE(frames.withPixels, 2);

    system.vanished = true;
    EXPECT_TRUE(test::waitUntil([&] { return !backend.isRunning(); }));
    backend.stop();
    EXPECT_EQ(system.mapped, 0);
    EXPECT_EQ(system.openNodes, 0);
}
