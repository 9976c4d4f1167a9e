// The engine's meters: each kernel call's meter record folded into about 100 records a second and
// handed to the main thread through a lock-free ring.
#include "engine/kernel_engine.h"

#include "engine/kernel_status.h"
#include "kernel/dovrel_kernel.h"

namespace vanto {

void KernelEngine::meterKernelCall(uint32_t frames) {
    dovrel_kernel_meter_record call;
    if (!metersWanted() || !kernelSucceeded(dovrel_kernel_read_meters(kernelHandle_, &call))) {
        meterAggregator_.skip(frames);
        return;
    }
    if (meterAggregator_.add(call)) {
        meterRing_.push(meterAggregator_.completed());
    }
}

} // namespace vanto
