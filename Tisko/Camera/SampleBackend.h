// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/CameraBackend.h"

#include <QImage>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tisko {

// A sample camera: the pictures of one file or of every decodable file of a folder, in
// name order, played in a loop at about 30 frames a second. Like a webcam it holds one
// picture at a time: each is decoded when its turn comes (a single file only once), so a
// folder of any size costs the memory of a frame. Tests, benchmarks and demonstrations use
// it in place of a webcam.
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

    // How many pictures have been decoded from files so far.
    int decodedPictures() const { return m_decoded; }

    // Time between two frames.
    static constexpr int frameIntervalMs = 33;

private:
    void play(std::shared_ptr<const CapturedFrame> frame, std::size_t next);
    // The frame after `*next` in the loop, decoded now when it is a file's; null after a
    // whole round of files that no longer decode.
    std::shared_ptr<const CapturedFrame> nextFrame(std::size_t* next);
    std::shared_ptr<const CapturedFrame> decode(const QString& file);

    const QString m_path;
    // Pictures in memory: those given, or a single file's, decoded once.
    std::vector<std::shared_ptr<const CapturedFrame>> m_pictures;
    // A folder's files, decoded in turn; the first that decodes waits here for the start.
    QStringList m_files;
    std::shared_ptr<const CapturedFrame> m_first;
    std::size_t m_afterFirst = 0;
    std::optional<FrameSize> m_format;
    std::atomic<int> m_decoded{0};
    FrameHandler m_handler;
    std::atomic<bool> m_running{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_player;
};

} // namespace tisko
