// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <cstddef>
#include <sys/types.h>

namespace tisko {

// The system calls the V4L2 code makes, behind one seam so that tests can put a simulated
// device in place of the kernel. The real one goes through libv4l2, which converts the
// camera's own pixel formats (YUYV, MJPEG...) to packed RGB. Failures return -1 (or
// MAP_FAILED) and set errno, as the system calls do.
class V4l2System {
public:
    virtual ~V4l2System() = default;

    // open(2) of a device node.
    virtual int open(const QString& path, int flags) = 0;
    // close(2).
    virtual int close(int fd) = 0;
    // ioctl(2) with one argument.
    virtual int ioctl(int fd, unsigned long request, void* argument) = 0;
    // mmap(2) of a buffer of the device, shared and readable.
    virtual void* mmap(std::size_t length, int fd, off_t offset) = 0;
    // munmap(2).
    virtual int munmap(void* address, std::size_t length) = 0;
    // poll(2) of one descriptor for input; `revents` receives what happened.
    virtual int poll(int fd, int timeoutMs, short* revents) = 0;

    // ioctl, tried again when a signal interrupts it.
    int control(int fd, unsigned long request, void* argument);

    // The system through libv4l2.
    static V4l2System& real();
};

} // namespace tisko
