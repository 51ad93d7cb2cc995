// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <thread>

namespace tisko {

// A named worker thread that runs tasks one at a time, in the order they were queued.
class SerialQueue {
public:
    // Starts the worker; the label names its thread (the system keeps the last 15 bytes).
    explicit SerialQueue(QString label);
    // Runs every task still queued, then joins the worker. Destroyed by one of its own tasks
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
