#pragma once

#include "Tisko/Camera/V4l2System.h"

#include <linux/videodev2.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/mman.h>
#include <thread>
#include <vector>

namespace tisko::test {

// A simulated V4L2 device behind the system-call seam: a capture node with a list of
// formats, two mmap buffers filled with a grey BGR picture, and switches for the faults
// of real cameras.
class FakeV4l2System : public V4l2System {
public:
    std::uint32_t caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes{{640, 480}, {1280, 720}, {1920, 1080}, {1280, 960}};
    std::uint32_t width = 640, height = 480;
    bool busy = false;                  // another process streams: buffers refused
    std::atomic<bool> vanished{false};  // unplugged: poll reports an error
    std::atomic<int> failNextDequeues{0}; // corrupt frames: DQBUF fails with EIO
    std::atomic<int> opens{0};
    std::atomic<int> closes{0};
    std::atomic<int> mapped{0};
    bool openFails = false;

    int open(const QString&, int) override {
        if (openFails) {
            errno = ENOENT;
            return -1;
        }
        ++opens;
        return 42;
    }
    int close(int) override {
        ++closes;
        return 0;
    }
    int ioctl(int, unsigned long request, void* argument) override {
        std::lock_guard lock(m_mutex);
        switch (request) {
        case VIDIOC_QUERYCAP: {
            auto* c = static_cast<v4l2_capability*>(argument);
            std::memset(c, 0, sizeof *c);
            std::strcpy(reinterpret_cast<char*>(c->card), "Cámara simulada");
            c->capabilities = caps | V4L2_CAP_DEVICE_CAPS;
            c->device_caps = caps;
            return 0;
        }
        case VIDIOC_G_FMT:
        case VIDIOC_S_FMT: {
            auto* f = static_cast<v4l2_format*>(argument);
            if (request == VIDIOC_S_FMT) {
                if (busy)
                    return fail(EBUSY);
                width = f->fmt.pix.width;
                height = f->fmt.pix.height;
                ++formatsSet;
            }
            f->fmt.pix.width = width;
            f->fmt.pix.height = height;
            f->fmt.pix.pixelformat = V4L2_PIX_FMT_BGR24;
            f->fmt.pix.bytesperline = width * 3;
            return 0;
        }
        case VIDIOC_ENUM_FMT: {
            auto* d = static_cast<v4l2_fmtdesc*>(argument);
            if (d->index > 0)
                return fail(EINVAL);
            d->pixelformat = V4L2_PIX_FMT_YUYV;
            return 0;
        }
        case VIDIOC_ENUM_FRAMESIZES: {
            auto* s = static_cast<v4l2_frmsizeenum*>(argument);
            if (s->index >= sizes.size())
                return fail(EINVAL);
            s->type = V4L2_FRMSIZE_TYPE_DISCRETE;
            s->discrete.width = sizes[s->index].first;
            s->discrete.height = sizes[s->index].second;
            return 0;
        }
        case VIDIOC_REQBUFS: {
            auto* r = static_cast<v4l2_requestbuffers*>(argument);
            if (busy)
                return fail(EBUSY);
            m_buffers.assign(r->count, std::vector<std::uint8_t>(std::size_t{width} * height * 3, 128));
            m_queued.clear();
            return 0;
        }
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
            ++dequeued;
            return 0;
        }
        case VIDIOC_STREAMON:
            streaming = true;
            return 0;
        case VIDIOC_STREAMOFF:
            streaming = false;
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
        if (vanished) {
            *revents = POLLERR;
            return 1;
        }
        *revents = POLLIN;
        return 1;
    }

    int formatsSet = 0;
    std::atomic<int> dequeued{0};
    bool streaming = false;

private:
    static int fail(int error) {
        errno = error;
        return -1;
    }
    std::mutex m_mutex;
    std::vector<std::vector<std::uint8_t>> m_buffers;
    std::vector<std::uint32_t> m_queued;
};

} // namespace tisko::test
