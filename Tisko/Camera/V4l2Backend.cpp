// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/V4l2Backend.h"

#include <linux/videodev2.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>

namespace tisko {

namespace {

std::optional<PixelFormat> readableFormat(std::uint32_t fourcc) {
    switch (fourcc) {
    case V4L2_PIX_FMT_BGR24:
        return PixelFormat::Bgr24;
    case V4L2_PIX_FMT_RGB24:
        return PixelFormat::Rgb24;
    case V4L2_PIX_FMT_GREY:
        return PixelFormat::Grey8;
    default:
        return std::nullopt;
    }
}

} // namespace

V4l2Backend::V4l2Backend(QString node, V4l2System& system)
    : m_node(std::move(node))
    , m_system(system) {}

V4l2Backend::~V4l2Backend() {
    stop();
}

bool V4l2Backend::open() {
    if (m_fd >= 0)
        return true;
    m_busy = false;
    m_fd = m_system.open(m_node, O_RDWR | O_NONBLOCK);
    if (m_fd < 0)
        return failed();
    v4l2_capability caps{};
    if (m_system.control(m_fd, VIDIOC_QUERYCAP, &caps) == -1) {
        release();
        return false;
    }
    const std::uint32_t device =
        (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
    if (!(device & V4L2_CAP_VIDEO_CAPTURE) || !(device & V4L2_CAP_STREAMING)) {
        release();
        return false;
    }
    return true;
}

std::optional<FrameSize> V4l2Backend::activeFormat() {
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (m_fd < 0 || m_system.control(m_fd, VIDIOC_G_FMT, &format) == -1)
        return std::nullopt;
    return FrameSize{static_cast<int>(format.fmt.pix.width),
                     static_cast<int>(format.fmt.pix.height)};
}

std::vector<FrameSize> V4l2Backend::formats() {
    std::vector<FrameSize> sizes;
    const auto add = [&sizes](std::uint32_t width, std::uint32_t height) {
        const FrameSize size{static_cast<int>(width), static_cast<int>(height)};
        if (size.width > 0 && size.height > 0 &&
            std::find(sizes.begin(), sizes.end(), size) == sizes.end())
            sizes.push_back(size);
    };
    if (m_fd < 0)
        return sizes;
    for (std::uint32_t f = 0; f < 64; ++f) {
        v4l2_fmtdesc description{};
        description.index = f;
        description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (m_system.control(m_fd, VIDIOC_ENUM_FMT, &description) == -1)
            break;
        for (std::uint32_t s = 0; s < 256; ++s) {
            v4l2_frmsizeenum size{};
            size.index = s;
            size.pixel_format = description.pixelformat;
            if (m_system.control(m_fd, VIDIOC_ENUM_FRAMESIZES, &size) == -1)
                break;
            if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
                add(size.discrete.width, size.discrete.height);
            } else {
                add(size.stepwise.min_width, size.stepwise.min_height);
                add(size.stepwise.max_width, size.stepwise.max_height);
                break;
            }
        }
    }
    return sizes;
}

bool V4l2Backend::setFormat(FrameSize size) {
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (m_fd < 0 || m_system.control(m_fd, VIDIOC_G_FMT, &format) == -1)
        return false;
    format.fmt.pix.width = static_cast<std::uint32_t>(size.width);
    format.fmt.pix.height = static_cast<std::uint32_t>(size.height);
    format.fmt.pix.pixelformat = V4L2_PIX_FMT_BGR24; // libv4l2 converts to it
    format.fmt.pix.field = V4L2_FIELD_ANY;
    return m_system.control(m_fd, VIDIOC_S_FMT, &format) == 0;
}

bool V4l2Backend::start(FrameHandler handler) {
    if (m_fd < 0 || m_streaming)
        return false;
    m_busy = false;
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (m_system.control(m_fd, VIDIOC_G_FMT, &format) == -1)
        return false;
    m_size = {static_cast<int>(format.fmt.pix.width), static_cast<int>(format.fmt.pix.height)};
    m_pixelFormat = format.fmt.pix.pixelformat;
    m_bytesPerLine = format.fmt.pix.bytesperline;

    v4l2_requestbuffers request{};
    request.count = bufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    // A driver whose buffers another process streams from refuses them with EBUSY.
    if (m_system.control(m_fd, VIDIOC_REQBUFS, &request) == -1)
        return failed();
    if (request.count == 0)
        return false;
    for (std::uint32_t i = 0; i < request.count; ++i) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = i;
        if (m_system.control(m_fd, VIDIOC_QUERYBUF, &buffer) == -1) {
            release();
            return false;
        }
        void* address = m_system.mmap(buffer.length, m_fd, static_cast<off_t>(buffer.m.offset));
        if (address == MAP_FAILED) {
            release();
            return false;
        }
        m_buffers.push_back({address, buffer.length});
        if (m_system.control(m_fd, VIDIOC_QBUF, &buffer) == -1) {
            release();
            return false;
        }
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (m_system.control(m_fd, VIDIOC_STREAMON, &type) == -1)
        return failed();
    m_streaming = true;
    m_handler = std::move(handler);
    m_stopping = false;
    m_running = true;
    m_pump = std::thread([this] { pump(); });
    return true;
}

void V4l2Backend::pump() {
    const std::optional<PixelFormat> readable = readableFormat(m_pixelFormat);
    const int bytesPerPixel = readable ? PixelBuffer::bytesPerPixel(*readable) : 0;
    const std::ptrdiff_t stride = std::max<std::ptrdiff_t>(
        m_bytesPerLine, static_cast<std::ptrdiff_t>(m_size.width) * bytesPerPixel);
    while (!m_stopping) {
        short events = 0;
        const int ready = m_system.poll(m_fd, 100, &events);
        if (ready == -1 && errno == EINTR)
            continue;
        if (ready == -1 || (events & (POLLERR | POLLHUP | POLLNVAL))) {
            break; // the device went away
        }
        if (ready == 0)
            continue;
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        if (m_system.control(m_fd, VIDIOC_DQBUF, &buffer) == -1) {
            if (errno == EAGAIN)
                continue;
            if (errno == EIO) {
                // A frame lost in transfer: the session counts it and moves on.
                m_handler(std::make_shared<CapturedFrame>());
                continue;
            }
            break;
        }
        auto frame = std::make_shared<CapturedFrame>();
        const std::size_t needed =
            static_cast<std::size_t>(stride) * static_cast<std::size_t>(m_size.height);
        if (readable && buffer.index < m_buffers.size() && !(buffer.flags & V4L2_BUF_FLAG_ERROR) &&
            buffer.bytesused >= needed && m_buffers[buffer.index].length >= needed &&
            m_size.width > 0) {
            const auto* start = static_cast<const std::uint8_t*>(m_buffers[buffer.index].address);
            frame->bytes = std::make_shared<const std::vector<std::uint8_t>>(start, start + needed);
            frame->width = m_size.width;
            frame->height = m_size.height;
            frame->bytesPerLine = stride;
            frame->format = *readable;
        }
        if (m_system.control(m_fd, VIDIOC_QBUF, &buffer) == -1) {
            m_handler(frame);
            break;
        }
        m_handler(frame);
    }
    m_running = false;
}

void V4l2Backend::stop() {
    m_stopping = true;
    if (m_pump.joinable())
        m_pump.join();
    m_running = false;
    m_handler = nullptr;
    release();
}

bool V4l2Backend::failed() {
    m_busy = errno == EBUSY;
    release();
    return false;
}

void V4l2Backend::release() {
    if (m_fd < 0)
        return;
    if (m_streaming) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        m_system.control(m_fd, VIDIOC_STREAMOFF, &type);
        m_streaming = false;
    }
    for (const Buffer& buffer : m_buffers)
        m_system.munmap(buffer.address, buffer.length);
    if (!m_buffers.empty()) {
        v4l2_requestbuffers none{};
        none.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        none.memory = V4L2_MEMORY_MMAP;
        m_system.control(m_fd, VIDIOC_REQBUFS, &none);
    }
    m_buffers.clear();
    m_system.close(m_fd);
    m_fd = -1;
}

} // namespace tisko
