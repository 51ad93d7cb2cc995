// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/V4l2System.h"

#include <libv4l2.h>

#include <cerrno>
#include <poll.h>
#include <sys/mman.h>

namespace tisko {

namespace {

class LibV4l2System final : public V4l2System {
public:
    int open(const QString& path, int flags) override {
        return v4l2_open(path.toLocal8Bit().constData(), flags);
    }
    int close(int fd) override { return v4l2_close(fd); }
    int ioctl(int fd, unsigned long request, void* argument) override {
        return v4l2_ioctl(fd, request, argument);
    }
    void* mmap(std::size_t length, int fd, off_t offset) override {
        return v4l2_mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
    }
    int munmap(void* address, std::size_t length) override { return v4l2_munmap(address, length); }
    int poll(int fd, int timeoutMs, short* revents) override {
        pollfd entry{fd, POLLIN, 0};
        const int result = ::poll(&entry, 1, timeoutMs);
        *revents = entry.revents;
        return result;
    }
};

} // namespace

int V4l2System::control(int fd, unsigned long request, void* argument) {
    int result;
    do {
        result = ioctl(fd, request, argument);
    } while (result == -1 && errno == EINTR);
    return result;
}

V4l2System& V4l2System::real() {
    static LibV4l2System system;
    return system;
}

} // namespace tisko
