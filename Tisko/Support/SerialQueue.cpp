// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/SerialQueue.h"

#include <QByteArray>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <future>
#include <map>
#include <mutex>
#include <pthread.h>

namespace tisko {

namespace {

// Linux thread names hold 15 bytes; the end of a reverse-DNS label is the telling part.
void nameCurrentThread(const QString& label) {
    QByteArray name = label.toUtf8();
    if (name.size() > 15)
        name = name.right(15);
    pthread_setname_np(pthread_self(), name.constData());
}

void reportDroppedException(const QString& label) {
    try {
        throw;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: a queued task threw: %s\n", label.toUtf8().constData(), e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: a queued task threw\n", label.toUtf8().constData());
    }
}

} // namespace

struct SerialQueue::State {
    explicit State(QString name)
        : label(std::move(name)) {}

    // A timed task's place: its due time, then the order in which it was set.
    using TimedKey = std::pair<Clock::time_point, std::uint64_t>;

    const QString label;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> tasks;
    std::map<TimedKey, std::function<void()>> timed;
    std::uint64_t lastTimed = 0;
    bool stopping = false;
    std::thread::id worker;

    // Waits, under `lock`, for the next task: a timed one that is due, else the oldest queued.
    // False once stopping with nothing queued.
    bool next(std::unique_lock<std::mutex>& lock, std::function<void()>& task) {
        for (;;) {
            if (!timed.empty() && timed.begin()->first.first <= Clock::now()) {
                task = std::move(timed.begin()->second);
                timed.erase(timed.begin());
                return true;
            }
            if (!tasks.empty()) {
                task = std::move(tasks.front());
                tasks.pop_front();
                return true;
            }
            if (stopping)
                return false;
            if (timed.empty())
                wake.wait(lock);
            else // a copy: a Cancel may take the task out while this waits
                wake.wait_until(lock, Clock::time_point(timed.begin()->first.first));
        }
    }

    // The worker's loop; it holds the state, never the queue, which may be gone.
    static void run(const std::shared_ptr<State>& state) {
        nameCurrentThread(state->label);
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(state->mutex);
                if (!state->next(lock, task))
                    break;
            }
            try {
                task();
            } catch (...) {
                reportDroppedException(state->label);
            }
        }
    }

    void withdrawTimed() {
        std::map<TimedKey, std::function<void()>> withdrawn; // let go outside the lock
        std::lock_guard lock(mutex);
        withdrawn.swap(timed);
    }
};

SerialQueue::SerialQueue(QString label)
    : m_state(std::make_shared<State>(std::move(label))) {
    // The id is known before any task can ask isCurrent().
    std::lock_guard lock(m_state->mutex);
    m_worker = std::thread([state = m_state] { State::run(state); });
    m_state->worker = m_worker.get_id();
}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->wake.notify_one();
    if (m_worker.get_id() == std::this_thread::get_id())
        m_worker.detach();
    else
        m_worker.join();
}

const QString& SerialQueue::label() const {
    return m_state->label;
}

bool SerialQueue::isCurrent() const {
    return std::this_thread::get_id() == m_state->worker;
}

void SerialQueue::async(std::function<void()> task) {
    if (!task)
        return;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->tasks.push_back(std::move(task));
    }
    m_state->wake.notify_one();
}

void SerialQueue::sync(std::function<void()> task) {
    if (!task)
        return;
    if (isCurrent()) {
        task();
        return;
    }
    std::packaged_task<void()> packaged(std::move(task));
    std::future<void> done = packaged.get_future();
    async([&packaged] { packaged(); });
    done.get();
}

SerialQueue::Cancel SerialQueue::after(Clock::duration delay, std::function<void()> task) {
    if (!task)
        return [] {};
    State::TimedKey key;
    {
        std::lock_guard lock(m_state->mutex);
        key = {Clock::now() + delay, ++m_state->lastTimed};
        m_state->timed.emplace(key, std::move(task));
    }
    m_state->wake.notify_one();
    // Weak: a task that holds its own Cancel must not keep the queue alive through it.
    return [weak = std::weak_ptr<State>(m_state), key] {
        // Let go outside the lock: the task may hold the queue's owner.
        decltype(State::timed)::node_type withdrawn;
        if (const auto state = weak.lock()) {
            std::lock_guard lock(state->mutex);
            withdrawn = state->timed.extract(key);
        }
    };
}

void SerialQueue::withdrawTimed() {
    m_state->withdrawTimed();
}

} // namespace tisko
