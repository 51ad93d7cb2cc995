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

// A picture decoded once.
std::shared_ptr<const CapturedFrame> decode(const QString& file) {
    QImageReader reader(file);
    const QSize size = reader.size();
    // Refuse absurd sizes before allocating anything for them.
    if (size.isValid() && static_cast<qint64>(size.width()) * size.height() > 100'000'000)
        return nullptr;
    return frameOf(reader.read());
}

} // namespace

SampleBackend::SampleBackend(QString path)
    : m_path(std::move(path)) {}

SampleBackend::SampleBackend(const std::vector<QImage>& pictures) {
    for (const QImage& picture : pictures) {
        if (auto frame = frameOf(picture))
            m_frames.push_back(std::move(frame));
    }
}

SampleBackend::~SampleBackend() {
    stop();
}

bool SampleBackend::open() {
    if (!m_frames.empty())
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
    for (const QString& file : files) {
        if (auto frame = decode(file))
            m_frames.push_back(std::move(frame));
    }
    return !m_frames.empty();
}

std::optional<FrameSize> SampleBackend::activeFormat() {
    if (m_frames.empty())
        return std::nullopt;
    return FrameSize{m_frames.front()->width, m_frames.front()->height};
}

std::vector<FrameSize> SampleBackend::formats() {
    std::vector<FrameSize> sizes;
    for (const auto& frame : m_frames) {
        const FrameSize size{frame->width, frame->height};
        if (std::find(sizes.begin(), sizes.end(), size) == sizes.end())
            sizes.push_back(size);
    }
    return sizes;
}

bool SampleBackend::setFormat(FrameSize size) {
    // The pictures are what they are; only a size they have can be "set".
    const std::vector<FrameSize> sizes = formats();
    return std::find(sizes.begin(), sizes.end(), size) != sizes.end();
}

bool SampleBackend::start(FrameHandler handler) {
    if (m_frames.empty() || m_player.joinable())
        return false;
    m_handler = std::move(handler);
    m_stopping = false;
    m_running = true;
    m_player = std::thread([this] { play(); });
    return true;
}

void SampleBackend::play() {
    std::size_t next = 0;
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_wake.wait_for(lock, std::chrono::milliseconds(frameIntervalMs),
                            [this] { return m_stopping; }))
            break;
        const auto frame = m_frames[next];
        next = (next + 1) % m_frames.size();
        lock.unlock();
        m_handler(frame);
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
    m_frames.clear();
}

} // namespace tisko
