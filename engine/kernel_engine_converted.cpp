#include "engine/kernel_engine.h"

#include <algorithm>

#include "diagnostics/diagnostic_vocabulary.h"
#include "engine/kernel_status.h"
#include "engine/kernel_trace.h"
#include "kernel/dovrel_kernel.h"

namespace vanto {

void KernelEngine::processConverted(const float* const* in, int inChannels, float* const* out,
                                    int outChannels, int frames) {
    // A failed adapter stays silent until the next setup rather than resuming with a broken stream.
    if (!adapterFailed_ && processHandleV2RateConverted(in, inChannels, out, outChannels, frames)) {
        return;
    }
    if (!adapterFailed_) {
        adapter_.rewind();
        adapterFailed_ = true;
    }
    failBlock(out, outChannels, frames, kDiagRateAdapterFailed, kSeverityError);
}

bool KernelEngine::processHandleV2RateConverted(const float* const* in, int inChannels, float* const* out,
                                                int outChannels, int frames) {
    if (out == nullptr || outChannels < 1 || frames < 1 || frames > maxBlockFrames_ || kernelHandle_ == 0 ||
        !viewsUsable()) {
        return false;
    }
    queueHostTempoChange();
    stampNewEvents(frames);
    adapter_.trimHistories();
    const float* left = in != nullptr && inChannels > 0 ? in[0] : nullptr;
    // Unlike the direct path, a mono input leaves the kernel's second channel silent.
    const float* right = in != nullptr && inChannels >= 2 ? in[1] : nullptr;
    if (!adapter_.appendHostInput(left, right, static_cast<uint64_t>(frames))) {
        return false;
    }
    const bool sidechained = blockHasSidechain();
    adapter_.appendHostSidechain(sidechainLeft_, sidechainRight_, static_cast<uint64_t>(frames));
    const uint64_t staged = adapter_.stageKernelInput(sidechained);
    int dispatched = 0;
    if (!runConvertedChunks(staged, sidechained, skipSetForConvertedStart(), dispatched)) {
        return false;
    }
    adapter_.finishHostInput(static_cast<uint64_t>(frames));
    const bool anyNonZero = adapter_.renderHostOutput(out, outChannels, static_cast<uint64_t>(frames));
    // Events whose kernel time lies beyond this block stay queued, already stamped.
    events_.removeFront(dispatched);
    outputSilent_ = !anyNonZero;
    return true;
}

void KernelEngine::stampNewEvents(int frames) {
    const uint64_t blockStart = adapter_.hostInputPosition();
    // An offset beyond the block is a host error; like the direct path, such events are dropped,
    // rather than lingering in the queue until their far-off time.
    events_.removeIf([frames](const KernelEvent& event) { return !event.stamped && event.frame >= frames; });
    for (int i = 0; i < events_.count(); ++i) {
        KernelEvent& event = events_[i];
        if (!event.stamped) {
            event.hostTime = blockStart + static_cast<uint64_t>(std::max(event.frame, 0));
            event.stamped = true;
        }
    }
    events_.sortByHostTime();
}

KernelEngine::SkipSet KernelEngine::skipSetForConvertedStart() const {
    SkipSet skip{};
    for (int i = 0; i < events_.count(); ++i) {
        const KernelEvent& event = events_[i];
        if (event.kind == kEventParameter &&
            adapter_.timeline().kernelFrameNearestHostFrame(event.hostTime) == 0) {
            skip[event.target] = true;
        }
    }
    return skip;
}

bool KernelEngine::runConvertedChunks(uint64_t staged, bool sidechained, const SkipSet& skip,
                                      int& dispatched) {
    const SkipSet noSkip{};
    std::FILE* trace = kernelTraceFile();
    bool allProcessed = true;
    for (uint64_t done = 0; done < staged;) {
        const auto chunk = static_cast<uint32_t>(std::min<uint64_t>(staged - done, kKernelChunkFrames));
        const uint64_t start = adapter_.kernelOutputPosition();
        for (int ch = 0; ch < kKernelChannels; ++ch) {
            std::copy_n(adapter_.stagedChannel(ch) + done, chunk, kernelInput_ + ch * kKernelChunkFrames);
        }
        if (sidechained) {
            copyStagedSidechain(done, chunk);
        }
        publishDirtyProductParameters(done == 0 ? skip.data() : noSkip.data());
        republishHostTempo();
        // The queue is in host-time order, so the events due in this chunk are the next ones; an
        // event whose kernel time has already passed lands at the chunk's first frame.
        for (; dispatched < events_.count(); ++dispatched) {
            const KernelEvent& event = events_[dispatched];
            const uint64_t due =
                std::max(adapter_.timeline().kernelFrameNearestHostFrame(event.hostTime), start);
            if (due >= start + chunk) {
                break;
            }
            dispatchEvent(event, static_cast<uint32_t>(due - start), false);
        }
        if (trace != nullptr) {
            std::fflush(trace);
        }
        if (kernelSucceeded(processKernelChunk(chunk, sidechained))) {
            if (!adapter_.appendKernelOutput(kernelOutput_, kernelOutput_ + kKernelChunkFrames, chunk)) {
                return false;
            }
        } else {
            // The remaining chunks still run so the kernel sees an unbroken stream; the block fails.
            allProcessed = false;
        }
        meterKernelCall(chunk);
        adapter_.advanceKernelOutput(chunk);
        done += chunk;
    }
    return allProcessed;
}

} // namespace vanto
