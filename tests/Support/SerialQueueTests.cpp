#include "Tisko/Support/SerialQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <pthread.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tisko {
namespace {

TEST(SerialQueueOrder, tasksFromManyThreadsRunOneAtATimeInOrderAndAllRunBeforeDestruction) {
    constexpr int producers = 4;
    constexpr int perProducer = 2000;
    std::vector<std::vector<int>> seen(producers);
    std::atomic<int> running{0};
    bool overlapped = false;
    {
        SerialQueue queue(QStringLiteral("test.order"));
        // Held up at first, so plenty is still queued when the queue is destroyed.
        queue.async([] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
        std::vector<std::thread> threads;
        for (int p = 0; p < producers; ++p) {
            threads.emplace_back([&, p] {
                for (int i = 0; i < perProducer; ++i) {
                    queue.async([&, p, i] {
                        if (running.fetch_add(1) != 0)
                            overlapped = true;
                        seen[static_cast<size_t>(p)].push_back(i);
                        running.fetch_sub(1);
                    });
                }
            });
        }
        for (std::thread& t : threads)
            t.join();
    }
    EXPECT_FALSE(overlapped);
    for (const std::vector<int>& list : seen) {
        ASSERT_EQ(list.size(), static_cast<size_t>(perProducer));
        for (int i = 0; i < perProducer; ++i)
            EXPECT_EQ(list[static_cast<size_t>(i)], i);
    }
}

TEST(SerialQueueThread, runsEveryTaskOnOneWorkerNamedAfterTheLabelsEnd) {
    SerialQueue queue(QStringLiteral("io.github.tisko.Tisko.camera"));
    std::thread::id first;
    std::thread::id second;
    char name[16] = {};
    queue.async([&] { first = std::this_thread::get_id(); });
    queue.sync([&] {
        second = std::this_thread::get_id();
        pthread_getname_np(pthread_self(), name, sizeof name);
    });
    EXPECT_EQ(first, second);
    EXPECT_NE(first, std::this_thread::get_id());
    EXPECT_STREQ(name, "ko.Tisko.camera"); // the last 15 bytes
    EXPECT_EQ(queue.label(), QStringLiteral("io.github.tisko.Tisko.camera"));
    EXPECT_FALSE(queue.isCurrent());
}

TEST(SerialQueueSync, waitsForEarlierTasksAndRunsInlineFromTheQueueItself) {
    SerialQueue queue(QStringLiteral("test.sync"));
    std::atomic<bool> slowDone{false};
    queue.async([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        slowDone = true;
    });
    bool sawSlowDone = false;
    bool nestedRan = false;
    queue.sync([&] {
        sawSlowDone = slowDone;
        queue.sync([&] { nestedRan = queue.isCurrent(); });
    });
    EXPECT_TRUE(sawSlowDone);
    EXPECT_TRUE(nestedRan);
}

TEST(SerialQueueFaults, syncRethrowsAndAnAsyncThrowDoesNotStopTheQueue) {
    SerialQueue queue(QStringLiteral("test.faults"));
    EXPECT_THROW(queue.sync([] { throw std::runtime_error("boom"); }), std::runtime_error);
    queue.async([] { throw std::runtime_error("dropped"); });
    bool ranAfter = false;
    queue.sync([&] { ranAfter = true; });
    EXPECT_TRUE(ranAfter);
}

} // namespace
} // namespace tisko
