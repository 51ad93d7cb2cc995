// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/SerialQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <numeric>
#include <pthread.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tisko {
namespace {

TEST(SerialQueue, tasksRunInOrderOnOneNamedWorkerPastAThrowAndAllRunBeforeDestruction) {
    std::vector<int> seen;
    std::thread::id worker;
    char name[16] = {};
    bool nestedRan = false;
    int timed = 0;
    const auto held = std::make_shared<int>(); // what a timed task holds, as a look its session
    {
        SerialQueue queue(QStringLiteral("io.github.tisko.Tisko.camera"));
        EXPECT_THROW(queue.sync([] { throw std::runtime_error("boom"); }), std::runtime_error);
        queue.async([] { throw std::runtime_error("dropped"); }); // the tasks after it still run
        queue.sync([&] {
            worker = std::this_thread::get_id();
            pthread_getname_np(pthread_self(), name, sizeof name);
            queue.sync([&] { nestedRan = queue.isCurrent(); }); // inline, not a deadlock
        });
        // An idle worker wakes for a task set for later (a look's timeout on a silent camera).
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::promise<void> woke;
        queue.after(std::chrono::milliseconds(10), [&woke] { woke.set_value(); });
        EXPECT_EQ(woke.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
        // Held up until every task is queued, so all of them are pending at destruction.
        std::promise<void> queued;
        queue.async([gate = queued.get_future().share()] { gate.wait(); });
        for (int i = 0; i < 1000; ++i)
            queue.async([&, i] { seen.push_back(std::this_thread::get_id() == worker ? i : -1); });
        EXPECT_FALSE(queue.isCurrent());
        queue.after({}, [&timed, held] { timed += 10; })(); // withdrawn: let go at once, never run
        EXPECT_EQ(held.use_count(), 1);
        queue.after(std::chrono::hours(1), [&timed, held] { timed += 1000; });
        queue.withdrawTimed(); // as the end of the process does: let go at once
        EXPECT_EQ(held.use_count(), 1);
        queue.after({}, [&] { timed += std::this_thread::get_id() == worker ? 1 : 100; });
        queue.after(std::chrono::hours(1), [&timed, held] { timed += 1000; }); // let go unrun
        queued.set_value();
    }
    EXPECT_EQ(timed, 1); // the due one ran on the worker, before the end
    EXPECT_EQ(held.use_count(), 1);
    EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_STREQ(name, "ko.Tisko.camera"); // the last 15 bytes
    EXPECT_TRUE(nestedRan);
    std::vector<int> inOrder(1000);
    std::iota(inOrder.begin(), inOrder.end(), 0);
    EXPECT_EQ(seen, inOrder);
}

TEST(SerialQueue, destroyedByItsOwnTaskItRunsTheRestInsteadOfJoiningItself) {
    auto queue = std::make_shared<SerialQueue>(QStringLiteral("test.self"));
    std::promise<void> released;
    // Shared with the worker, which may outlive this test if the queue hangs on itself.
    auto restRan = std::make_shared<std::promise<void>>();
    std::future<void> rest = restRan->get_future();
    // The task below holds the last owner once the test lets go of its own.
    queue->async([gate = released.get_future().share(), owner = queue]() mutable {
        gate.wait();
        owner.reset();
    });
    queue->async([restRan] { restRan->set_value(); });
    queue.reset();
    released.set_value();
    ASSERT_EQ(rest.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

} // namespace
} // namespace tisko
