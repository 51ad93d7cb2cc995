#pragma once

#include "Tisko/Camera/CameraBackend.h"

#include <QImage>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tisko {

// A sample camera: the pictures of one file or of every decodable file of a folder, in
// name order, decoded once when the session opens it and played in a loop at about 30
// frames a second. Tests, benchmarks and demonstrations use it in place of a webcam.
class SampleBackend final : public CameraBackend {
public:
    explicit SampleBackend(QString path);
    // A sample camera of pictures already in memory (benchmarks make theirs that way).
    explicit SampleBackend(const std::vector<QImage>& pictures);
    ~SampleBackend() override;

    bool open() override;
    std::optional<FrameSize> activeFormat() override;
    std::vector<FrameSize> formats() override;
    bool setFormat(FrameSize size) override;
    bool start(FrameHandler handler) override;
    bool isRunning() const override { return m_running; }
    void stop() override;

    // Time between two frames.
    static constexpr int frameIntervalMs = 33;

private:
    void play();

    const QString m_path;
    std::vector<std::shared_ptr<const CapturedFrame>> m_frames;
    FrameHandler m_handler;
    std::atomic<bool> m_running{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_player;
};

} // namespace tisko
