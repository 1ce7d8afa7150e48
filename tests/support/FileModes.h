#pragma once

#include <algorithm>
#include <functional>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {

// Runs `run` on this thread without the rights to read and write where the file modes forbid
// it, which a test run as root has; threads started meanwhile keep going without them
// (capabilities belong to the thread and pass to the threads it starts).
inline void withoutFileModeOverride(const std::function<void()>& run) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2] = {}, saved[2] = {};
    syscall(SYS_capget, &header, saved);
    std::copy(saved, saved + 2, caps);
    caps[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH);
    syscall(SYS_capset, &header, caps);
    run();
    syscall(SYS_capset, &header, saved);
}

} // namespace testsupport
