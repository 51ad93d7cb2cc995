// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Camera/V4l2System.h"

#include <QFileInfo>
#include <QStringList>

#include <linux/videodev2.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <sys/mman.h>
#include <thread>
#include <vector>

namespace tisko::test {

// A simulated V4L2 device behind the system-call seam: capture nodes with a list of sizes,
// mmap buffers filled with a grey BGR picture, and switches for the faults of real cameras.
class FakeV4l2System : public V4l2System {
public:
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes;
    std::uint32_t width = 640, height = 480;
    QStringList metadataNodes;            // names of nodes that are not capture devices
    QStringList deniedNodes;              // names of nodes that refuse this user
    bool missing = false;                 // open fails
    bool busy = false;                    // another process streams: format and buffers refused
    std::atomic<bool> vanished{false};    // unplugged: poll reports an error
    std::atomic<int> failNextDequeues{0}; // corrupt frames: DQBUF fails with EIO
    std::atomic<int> openNodes{0};
    std::atomic<int> mapped{0};
    bool streaming = false;

    int open(const QString& path, int) override {
        if (missing)
            return fail(ENOENT);
        if (deniedNodes.contains(QFileInfo(path).fileName()))
            return fail(EACCES);
        m_opened = QFileInfo(path).fileName();
        ++openNodes;
        return 42;
    }
    int close(int) override {
        --openNodes;
        return 0;
    }
    int ioctl(int, unsigned long request, void* argument) override {
        std::lock_guard lock(m_mutex);
        switch (request) {
        case VIDIOC_QUERYCAP: {
            auto* c = static_cast<v4l2_capability*>(argument);
            std::memset(c, 0, sizeof *c);
            std::strcpy(reinterpret_cast<char*>(c->card), "Cámara simulada");
            c->device_caps = (metadataNodes.contains(m_opened) ? V4L2_CAP_META_CAPTURE
                                                               : V4L2_CAP_VIDEO_CAPTURE) |
                             V4L2_CAP_STREAMING;
            c->capabilities = c->device_caps | V4L2_CAP_DEVICE_CAPS;
            return 0;
        }
        case VIDIOC_S_FMT:
            if (busy)
                return fail(EBUSY);
            width = static_cast<v4l2_format*>(argument)->fmt.pix.width;
            height = static_cast<v4l2_format*>(argument)->fmt.pix.height;
            [[fallthrough]];
        case VIDIOC_G_FMT: {
            auto* f = static_cast<v4l2_format*>(argument);
            f->fmt.pix.width = width;
            f->fmt.pix.height = height;
            f->fmt.pix.pixelformat = V4L2_PIX_FMT_BGR24;
            f->fmt.pix.bytesperline = width * 3;
            return 0;
        }
        case VIDIOC_ENUM_FMT:
            return static_cast<v4l2_fmtdesc*>(argument)->index > 0 ? fail(EINVAL) : 0;
        case VIDIOC_ENUM_FRAMESIZES: {
            auto* s = static_cast<v4l2_frmsizeenum*>(argument);
            if (s->index >= sizes.size())
                return fail(EINVAL);
            s->type = V4L2_FRMSIZE_TYPE_DISCRETE;
            s->discrete.width = sizes[s->index].first;
            s->discrete.height = sizes[s->index].second;
            return 0;
        }
        case VIDIOC_REQBUFS:
            if (busy)
                return fail(EBUSY);
            m_buffers.assign(static_cast<v4l2_requestbuffers*>(argument)->count,
                             std::vector<std::uint8_t>(std::size_t{width} * height * 3, 128));
            m_queued.clear();
            return 0;
        case VIDIOC_QUERYBUF: {
            auto* b = static_cast<v4l2_buffer*>(argument);
            if (b->index >= m_buffers.size())
                return fail(EINVAL);
            b->length = static_cast<std::uint32_t>(m_buffers[b->index].size());
            b->m.offset = b->index * 4096;
            return 0;
        }
        case VIDIOC_QBUF:
            m_queued.push_back(static_cast<v4l2_buffer*>(argument)->index);
            return 0;
        case VIDIOC_DQBUF: {
            if (failNextDequeues > 0) {
                --failNextDequeues;
                return fail(EIO);
            }
            if (m_queued.empty())
                return fail(EAGAIN);
            auto* b = static_cast<v4l2_buffer*>(argument);
            b->index = m_queued.front();
            b->bytesused = static_cast<std::uint32_t>(m_buffers[b->index].size());
            m_queued.erase(m_queued.begin());
            return 0;
        }
        case VIDIOC_STREAMON:
        case VIDIOC_STREAMOFF:
            streaming = request == VIDIOC_STREAMON;
            return 0;
        default:
            return fail(ENOTTY);
        }
    }
    void* mmap(std::size_t, int, off_t offset) override {
        std::lock_guard lock(m_mutex);
        const auto index = static_cast<std::size_t>(offset / 4096);
        if (index >= m_buffers.size())
            return MAP_FAILED;
        ++mapped;
        return m_buffers[index].data();
    }
    int munmap(void*, std::size_t) override {
        --mapped;
        return 0;
    }
    int poll(int, int, short* revents) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        *revents = static_cast<short>(vanished ? POLLERR : POLLIN);
        return 1;
    }

private:
    static int fail(int error) {
        errno = error;
        return -1;
    }
    std::mutex m_mutex;
    QString m_opened;
    std::vector<std::vector<std::uint8_t>> m_buffers;
    std::vector<std::uint32_t> m_queued;
};

} // namespace tisko::test
