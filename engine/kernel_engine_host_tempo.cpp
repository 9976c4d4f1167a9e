// The host's tempo on its way to the kernel: the processor hands it over with every block, and a
// change reaches the kernel as an event of its own at the block's first frame, never as a write of
// "sync.bpm", so the host sees no parameter change it did not make. Whether the timing follows it is
// the kernel's decision ("sync.source").
#include "engine/kernel_engine.h"

#include "engine/kernel_status.h"
#include "engine/kernel_trace.h"
#include "kernel/dovrel_kernel.h"
#include "kernel/effective_tempo.h"

namespace vanto {

void KernelEngine::setHostTempo(double bpm) {
    hostTempoRequest_ = hostTempoInRange(bpm);
}

double KernelEngine::newestHostTempo() const {
    for (int i = events_.count() - 1; i >= 0; --i) {
        if (events_[i].kind == kEventHostTempo) {
            return events_[i].value;
        }
    }
    return hostTempoDispatched_;
}

void KernelEngine::queueHostTempoChange() {
    if (hostTempoRequest_ == newestHostTempo()) {
        return;
    }
    KernelEvent event;
    event.kind = kEventHostTempo;
    event.value = hostTempoRequest_;
    // A full queue leaves the change for the next block.
    events_.push(event);
}

void KernelEngine::dispatchHostTempo(uint32_t frame, double bpm) {
    hostTempoDispatched_ = bpm;
    pushHostTempo(frame, bpm, "queue");
}

void KernelEngine::republishHostTempo() {
    if (kernelHostTempo_ != hostTempoDispatched_) {
        pushHostTempo(0, hostTempoDispatched_, "republish");
    }
}

void KernelEngine::pushHostTempo(uint32_t frame, double bpm, const char* source) {
    const double status =
        dovrel_kernel_push_event(kernelHandle_, DOVREL_KERNEL_EVENT_HOST_TEMPO, frame, 0, bpm);
    if (std::FILE* trace = kernelTraceFile()) {
        traceKernelEvent(trace, this, frame, DOVREL_KERNEL_EVENT_HOST_TEMPO, 0, bpm, source, status);
    }
    // A refused tempo is offered again at the next chunk.
    if (kernelSucceeded(status)) {
        kernelHostTempo_ = bpm;
    }
}

} // namespace vanto
