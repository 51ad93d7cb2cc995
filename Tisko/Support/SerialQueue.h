// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace tisko {

// A named worker thread that runs tasks one at a time, in the order they were queued, and
// tasks set for a later time once their time has come.
class SerialQueue {
public:
    using Clock = std::chrono::steady_clock;
    // Withdraws a task set with `after`: it does not run once this has returned (unless it had
    // begun), and what it holds is let go at once, on the calling thread. Harmless once the
    // task has run or the queue is gone.
    using Cancel = std::function<void()>;

    // Starts the worker; the label names its thread (the system keeps the last 15 bytes).
    explicit SerialQueue(QString label);
    // Runs every task still queued, then joins the worker; tasks whose time has not come are
    // let go unrun. Destroyed by one of its own tasks
    // (the last owner let go there), it cannot wait for itself: the worker then runs what
    // is still queued once that task returns, and ends on its own.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    // Queues a task and returns at once; an exception it throws is reported and dropped.
    void async(std::function<void()> task);
    // Queues a task and waits until it has run; its exception is rethrown here. Called
    // from the queue's own thread it runs the task at once instead of waiting forever.
    void sync(std::function<void()> task);
    // Runs `task` on the queue once `delay` has passed, between the tasks queued meanwhile.
    Cancel after(Clock::duration delay, std::function<void()> task);
    // Withdraws every task still waiting for its time, as their Cancel would.
    void withdrawTimed();

    // The label given at construction.
    const QString& label() const;
    // Whether the calling thread is this queue's worker.
    bool isCurrent() const;

private:
    struct State;

    // Shared with the worker, which outlives the queue when the queue ends on it.
    std::shared_ptr<State> m_state;
    std::thread m_worker;
};

} // namespace tisko
