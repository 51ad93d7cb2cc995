#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tisko {

// A named worker thread that runs tasks one at a time, in the order they were queued.
class SerialQueue {
public:
    // Starts the worker; the label names its thread (the system keeps the last 15 bytes).
    explicit SerialQueue(QString label);
    // Runs every task still queued, then joins the worker.
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    // Queues a task and returns at once; an exception it throws is reported and dropped.
    void async(std::function<void()> task);
    // Queues a task and waits until it has run; its exception is rethrown here. Called
    // from the queue's own thread it runs the task at once instead of waiting forever.
    void sync(std::function<void()> task);

    // The label given at construction.
    const QString& label() const { return m_label; }
    // Whether the calling thread is this queue's worker.
    bool isCurrent() const { return std::this_thread::get_id() == m_worker.get_id(); }

private:
    void run();

    const QString m_label;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_stopping = false;
    std::thread m_worker;
};

} // namespace tisko
