// The kernel reports statuses as doubles; 0 means the call succeeded.
#pragma once

#include "kernel/dovrel_kernel.h"

namespace vanto {

inline bool kernelSucceeded(double status) {
    return status == static_cast<double>(DOVREL_KERNEL_OK);
}

} // namespace vanto
