#include "Tisko/Camera/CameraLook.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "Tisko/Support/Log.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace tisko {

namespace {

// One worker that runs tasks at their due time: the look's timeouts.
class Timeouts {
public:
    static Timeouts& shared() {
        static Timeouts timeouts;
        return timeouts;
    }

    void after(double seconds, std::function<void()> task) {
        const auto due = std::chrono::steady_clock::now() +
                         std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(seconds));
        {
            std::lock_guard lock(m_mutex);
            m_tasks.emplace(due, std::move(task));
        }
        m_wake.notify_all();
    }

    ~Timeouts() {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        m_worker.join();
    }

private:
    Timeouts()
        : m_worker([this] { run(); }) {}

    void run() {
        std::unique_lock lock(m_mutex);
        while (!m_quit) {
            if (m_tasks.empty()) {
                m_wake.wait(lock);
                continue;
            }
            const auto due = m_tasks.begin()->first;
            if (std::chrono::steady_clock::now() < due) {
                m_wake.wait_until(lock, due);
                continue;
            }
            std::function<void()> task = std::move(m_tasks.begin()->second);
            m_tasks.erase(m_tasks.begin());
            lock.unlock();
            task();
            task = nullptr;
            lock.lock();
        }
        m_tasks.clear();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> m_tasks;
    bool m_quit = false;
    std::thread m_worker;
};

// The frames of one look; the lock makes taking a sample and the three endings (enough
// frames, the timeout, a failed start) exclusive, and `done` lets only one end it.
struct Collector {
    std::mutex lock;
    std::vector<std::optional<HeadMeasurement>> samples;
    bool done = false;

    // Adds a frame's result and returns the number of samples; 0 once the look is over.
    std::size_t add(const std::optional<HeadMeasurement>& sample) {
        std::lock_guard guard(lock);
        if (done)
            return 0;
        samples.push_back(sample);
        return samples.size();
    }
};

void deliver(std::function<void(const LookResult&)> completion, LookResult result) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        Log::error(QStringLiteral("Mirada sin bucle principal: el resultado se pierde"));
        return;
    }
    QMetaObject::invokeMethod(
        app,
        [completion = std::move(completion), result = std::move(result)] { completion(result); },
        Qt::QueuedConnection);
}

} // namespace

void CameraLook::take(const std::optional<QString>& cameraID, int frames, double timeout,
                      std::function<void(const LookResult&)> completion) {
    take(CameraSession::create(cameraID), frames, timeout, std::move(completion));
}

void CameraLook::take(std::shared_ptr<CameraSession> session, int frames, double timeout,
                      std::function<void(const LookResult&)> completion) {
    if (!session) {
        LookResult result;
        result.failed = true;
        deliver(std::move(completion), result);
        return;
    }
    auto collector = std::make_shared<Collector>();

    // Reached by the frame count or by the timeout, whichever comes first.
    auto ending = [collector, session, completion] {
        std::vector<std::optional<HeadMeasurement>> samples;
        {
            std::lock_guard guard(collector->lock);
            if (collector->done)
                return;
            collector->done = true;
            samples = collector->samples;
        }
        session->stop();
        std::vector<HeadMeasurement> faces;
        for (const auto& sample : samples) {
            if (sample)
                faces.push_back(*sample);
        }
        LookResult result;
        result.measurement = HeadMeasurement::median(faces);
        result.analysed = static_cast<int>(samples.size());
        result.withFace = static_cast<int>(faces.size());
        result.cameraID = session->device().uniqueID;
        result.sharedWithAnotherApp = session->sharedWithAnotherApp();
        result.format = session->formatAtStart();
        result.failed = false;
        deliver(completion, result);
    };

    const auto wanted = static_cast<std::size_t>(std::max(frames, 1));
    session->onMeasurement = [collector, ending, wanted](std::optional<HeadMeasurement> sample) {
        if (collector->add(sample) >= wanted)
            ending();
    };
    session->start(settle, [collector, session, ending, timeout, completion](bool started) {
        if (started) {
            Timeouts::shared().after(timeout, ending);
            return;
        }
        {
            std::lock_guard guard(collector->lock);
            if (collector->done)
                return;
            collector->done = true;
        }
        session->stop();
        LookResult result;
        result.failed = true;
        result.cameraID = session->device().uniqueID;
        result.sharedWithAnotherApp = session->sharedWithAnotherApp();
        result.cameraBusy = session->cameraBusy();
        deliver(completion, result);
    });
}

} // namespace tisko
