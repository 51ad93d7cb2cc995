// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/SampleBackend.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstring>

namespace tisko {

namespace {

// A picture kept as 32-bit BGRA like a camera frame.
std::shared_ptr<const CapturedFrame> frameOf(const QImage& picture) {
    if (picture.isNull())
        return nullptr;
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    auto frame = std::make_shared<CapturedFrame>();
    const auto bytes = static_cast<std::size_t>(image.sizeInBytes());
    auto data = std::make_shared<std::vector<std::uint8_t>>(bytes);
    std::memcpy(data->data(), image.constBits(), bytes);
    frame->bytes = std::move(data);
    frame->width = image.width();
    frame->height = image.height();
    frame->bytesPerLine = image.bytesPerLine();
    frame->format = PixelFormat::Bgra32; // Format_RGB32 lies in memory as B, G, R, A
    return frame;
}

// Larger pictures are refused before anything is allocated for them.
constexpr qint64 largestPicture = 100'000'000;

} // namespace

SampleBackend::SampleBackend(QString path)
    : m_path(std::move(path)) {}

SampleBackend::SampleBackend(const std::vector<QImage>& pictures) {
    for (const QImage& picture : pictures) {
        if (auto frame = frameOf(picture))
            m_pictures.push_back(std::move(frame));
    }
    if (!m_pictures.empty())
        m_format = FrameSize{m_pictures.front()->width, m_pictures.front()->height};
}

SampleBackend::~SampleBackend() {
    stop();
}

std::shared_ptr<const CapturedFrame> SampleBackend::decode(const QString& file) {
    QImageReader reader(file);
    const QSize size = reader.size();
    if (size.isValid() && static_cast<qint64>(size.width()) * size.height() > largestPicture)
        return nullptr;
    ++m_decoded;
    return frameOf(reader.read());
}

bool SampleBackend::open() {
    if (m_format)
        return true;
    QStringList files;
    const QFileInfo info(m_path);
    if (info.isDir()) {
        QDir dir(m_path);
        QStringList names = dir.entryList(QDir::Files | QDir::Readable);
        QCollator collator;
        collator.setNumericMode(true);
        std::sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
            return collator.compare(a, b) < 0;
        });
        for (const QString& name : names)
            files << dir.filePath(name);
    } else if (info.isFile()) {
        files << m_path;
    }
    // The first picture that decodes gives the format; the others wait for their turn.
    for (qsizetype i = 0; i < files.size(); ++i) {
        std::shared_ptr<const CapturedFrame> frame = decode(files[i]);
        if (!frame)
            continue;
        m_format = FrameSize{frame->width, frame->height};
        if (files.size() == 1) {
            m_pictures.push_back(std::move(frame));
        } else {
            m_files = std::move(files);
            m_first = std::move(frame);
            m_afterFirst =
                static_cast<std::size_t>(i + 1) % static_cast<std::size_t>(m_files.size());
        }
        return true;
    }
    return false;
}

std::optional<FrameSize> SampleBackend::activeFormat() {
    return m_format;
}

std::vector<FrameSize> SampleBackend::formats() {
    std::vector<FrameSize> sizes;
    const auto add = [&sizes](FrameSize size) {
        if (std::find(sizes.begin(), sizes.end(), size) == sizes.end())
            sizes.push_back(size);
    };
    if (m_format)
        add(*m_format);
    for (const auto& frame : m_pictures)
        add({frame->width, frame->height});
    // A folder's other sizes come from the files' headers; nothing is decoded for them.
    for (const QString& file : m_files) {
        const QSize size = QImageReader(file).size();
        if (size.isValid())
            add({size.width(), size.height()});
    }
    return sizes;
}

bool SampleBackend::setFormat(FrameSize size) {
    // The pictures are what they are; only a size they have can be "set".
    const std::vector<FrameSize> sizes = formats();
    return std::find(sizes.begin(), sizes.end(), size) != sizes.end();
}

bool SampleBackend::start(FrameHandler handler) {
    if (!m_format || m_player.joinable())
        return false;
    std::shared_ptr<const CapturedFrame> first;
    std::size_t next = 0;
    if (m_files.isEmpty()) {
        first = m_pictures.front();
        next = 1 % m_pictures.size();
    } else {
        // Held from now on only by the frame on its way.
        first = m_first ? std::move(m_first) : decode(m_files[0]);
        next = m_afterFirst;
    }
    m_handler = std::move(handler);
    m_stopping = false;
    m_running = true;
    m_player = std::thread(
        [this, first = std::move(first), next]() mutable { play(std::move(first), next); });
    return true;
}

std::shared_ptr<const CapturedFrame> SampleBackend::nextFrame(std::size_t* next) {
    if (m_files.isEmpty()) {
        const auto frame = m_pictures[*next];
        *next = (*next + 1) % m_pictures.size();
        return frame;
    }
    const auto count = static_cast<std::size_t>(m_files.size());
    for (std::size_t tried = 0; tried < count; ++tried) {
        const QString& file = m_files[static_cast<qsizetype>(*next)];
        *next = (*next + 1) % count;
        if (auto frame = decode(file))
            return frame;
    }
    return nullptr;
}

void SampleBackend::play(std::shared_ptr<const CapturedFrame> frame, std::size_t next) {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_wake.wait_for(lock, std::chrono::milliseconds(frameIntervalMs),
                            [this] { return m_stopping; }))
            break;
        lock.unlock();
        if (!frame) {
            m_running = false; // every file has gone or stopped decoding
            return;
        }
        m_handler(std::move(frame));
        frame = nextFrame(&next);
        lock.lock();
    }
}

void SampleBackend::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_player.joinable())
        m_player.join();
    m_running = false;
    m_handler = nullptr;
    m_pictures.clear();
    m_files.clear();
    m_first.reset();
    m_format.reset();
}

} // namespace tisko
