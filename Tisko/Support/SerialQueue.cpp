// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/SerialQueue.h"

#include <QByteArray>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <future>
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

    const QString label;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> tasks;
    bool stopping = false;
    std::thread::id worker;

    // The worker's loop; it holds the state, never the queue, which may be gone.
    static void run(const std::shared_ptr<State>& state) {
        nameCurrentThread(state->label);
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(state->mutex);
                state->wake.wait(lock, [&] { return state->stopping || !state->tasks.empty(); });
                if (state->tasks.empty())
                    return; // stopping, and everything queued has run
                task = std::move(state->tasks.front());
                state->tasks.pop_front();
            }
            try {
                task();
            } catch (...) {
                reportDroppedException(state->label);
            }
        }
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

} // namespace tisko
