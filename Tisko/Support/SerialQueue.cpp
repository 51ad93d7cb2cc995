#include "Tisko/Support/SerialQueue.h"

#include <QByteArray>

#include <cstdio>
#include <exception>
#include <future>
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

SerialQueue::SerialQueue(QString label)
    : m_label(std::move(label))
    , m_worker([this] { run(); }) {}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_worker.joinable())
        m_worker.join();
}

void SerialQueue::async(std::function<void()> task) {
    if (!task)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
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

void SerialQueue::run() {
    nameCurrentThread(m_label);
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                return; // stopping, and everything queued has run
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        try {
            task();
        } catch (...) {
            reportDroppedException(m_label);
        }
    }
}

} // namespace tisko
