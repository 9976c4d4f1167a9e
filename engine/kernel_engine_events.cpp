#include "engine/kernel_engine.h"

#include <cmath>

#include "engine/kernel_status.h"
#include "engine/kernel_trace.h"
#include "kernel/dovrel_kernel.h"
#include "kernel/param_table.h"

namespace vanto {

namespace {

constexpr uint32_t kMidiChannelMask = 15;
constexpr uint32_t kMidiDataLimit = 128;

} // namespace

bool KernelEngine::pushParamNormalized(uint32_t id, double normalized, int sampleOffset) {
    if (id >= kParamCount) {
        return false;
    }
    KernelEvent event;
    event.kind = kEventParameter;
    event.frame = sampleOffset;
    event.target = id;
    event.value = vanto_param_to_plain(&VANTO_PARAMS[id], normalized);
    return events_.push(event);
}

void KernelEngine::deferParamNormalized(uint32_t id, double normalized) {
    if (id >= kParamCount) {
        return;
    }
    deferredParams_[id] = vanto_param_to_plain(&VANTO_PARAMS[id], normalized);
    deferredParamMask_ |= uint64_t{1} << id;
}

void KernelEngine::applyDeferredParams() {
    const uint64_t deferred = deferredParamMask_;
    if (deferred == 0) {
        return;
    }
    const auto isDeferred = [deferred](uint32_t id) {
        return id < kParamCount && ((deferred >> id) & 1) != 0;
    };
    events_.removeIf(
        [&](const KernelEvent& event) { return event.kind == kEventParameter && isDeferred(event.target); });
    for (uint32_t id = 0; id < kParamCount; ++id) {
        if (isDeferred(id)) {
            params_[id].store(deferredParams_[id], std::memory_order_relaxed);
        }
    }
    deferredParamMask_ = 0;
    paramsDirty_.store(true);
}

bool KernelEngine::pushNoteOn(int note, double velocity, int sampleOffset, uint32_t route, uint32_t channel) {
    if (!std::isfinite(velocity)) {
        return false;
    }
    KernelEvent event;
    event.kind = kEventNoteOn;
    event.frame = sampleOffset;
    event.value = velocity;
    event.note = note;
    event.route = route;
    event.channel = channel & kMidiChannelMask;
    return events_.push(event);
}

bool KernelEngine::pushNoteOff(int note, int sampleOffset, uint32_t route, uint32_t channel) {
    KernelEvent event;
    event.kind = kEventNoteOff;
    event.frame = sampleOffset;
    event.note = note;
    event.route = route;
    event.channel = channel & kMidiChannelMask;
    return events_.push(event);
}

bool KernelEngine::pushController(uint32_t controller, uint32_t value, int sampleOffset, uint32_t route,
                                  uint32_t channel) {
    if (controller >= kMidiDataLimit || value >= kMidiDataLimit) {
        return false;
    }
    KernelEvent event;
    event.kind = kEventController;
    event.frame = sampleOffset;
    event.target = controller;
    event.value = static_cast<double>(value);
    event.route = route;
    event.channel = channel & kMidiChannelMask;
    return events_.push(event);
}

void KernelEngine::sortEventsInPlace() {
    events_.sortByFrame();
}

void KernelEngine::copyQueuedParametersToMirror() {
    for (int i = 0; i < events_.count(); ++i) {
        const KernelEvent& event = events_[i];
        if (event.kind == kEventParameter && event.target < kParamCount) {
            params_[event.target].store(event.value, std::memory_order_relaxed);
        }
    }
}

void KernelEngine::flushParameterEvents() {
    copyQueuedParametersToMirror();
    paramsDirty_.store(true);
    events_.clear();
}

bool KernelEngine::pushProductParameter(uint32_t id, uint32_t frame, double value, const char* source) {
    if (id >= kParamCount) {
        return false;
    }
    const double status =
        dovrel_kernel_push_event(kernelHandle_, DOVREL_KERNEL_EVENT_PARAMETER, frame, id, value);
    if (std::FILE* trace = kernelTraceFile()) {
        traceKernelEvent(trace, this, frame, DOVREL_KERNEL_EVENT_PARAMETER, id, value, source, status);
    }
    if (!kernelSucceeded(status)) {
        // The value is offered again at the next chunk.
        paramsDirty_.store(true);
        return false;
    }
    paramShadow_[id] = value;
    return true;
}

void KernelEngine::publishDirtyProductParameters(const bool skip[kParamCount]) {
    if (!paramsDirty_.exchange(false)) {
        return;
    }
    for (uint32_t id = 0; id < kParamCount; ++id) {
        const double value = params_[id].load(std::memory_order_relaxed);
        if (!skip[id] && paramShadow_[id] != value) {
            pushProductParameter(id, 0, value, "republish");
        }
    }
}

bool KernelEngine::dispatchEvent(const KernelEvent& event, uint32_t frame, bool traceNotes) {
    // Controllers are not sent to this kernel; their status counts as -1 (nothing to refuse).
    double status = -1.0;
    int traceKind = 0;
    switch (event.kind) {
    case kEventParameter:
        params_[event.target].store(event.value, std::memory_order_relaxed);
        pushProductParameter(event.target, frame, event.value, "queue"); // a refusal is republished
        return false;
    case kEventHostTempo:
        dispatchHostTempo(frame, event.value);
        return false;
    case kEventNoteOn:
        traceKind = 2;
        status =
            dovrel_kernel_push_event(kernelHandle_, 2, frame, static_cast<uint32_t>(event.note), event.value);
        break;
    case kEventNoteOff:
        traceKind = 3;
        status = dovrel_kernel_push_event(kernelHandle_, 3, frame, static_cast<uint32_t>(event.note), 0.0);
        break;
    default:
        break;
    }
    std::FILE* trace = traceNotes ? kernelTraceFile() : nullptr;
    if (trace != nullptr) {
        traceKernelEvent(trace, this, frame, traceKind, static_cast<uint32_t>(event.note), event.value,
                         "queue", status);
    }
    return !kernelSucceeded(status) && status != -1.0;
}

} // namespace vanto
