// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tisko::test {

// While alive, this thread is held to the file modes even as root: it drops CAP_DAC_OVERRIDE
// and CAP_DAC_READ_SEARCH from its effective set and takes them back afterwards.
class FileModesApply {
public:
    FileModesApply() {
        if (capabilities(SYS_capget, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_changed = capabilities(SYS_capset, reduced) == 0;
    }
    ~FileModesApply() {
        if (m_changed)
            capabilities(SYS_capset, m_saved);
    }
    FileModesApply(const FileModesApply&) = delete;
    FileModesApply& operator=(const FileModesApply&) = delete;

private:
    int capabilities(long call, __user_cap_data_struct* data) {
        return static_cast<int>(::syscall(call, &m_header, data));
    }
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_changed = false;
};

} // namespace tisko::test
