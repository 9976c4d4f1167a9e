#include "engine/kernel_engine.h"

#include <algorithm>
#include <cstring>

#include "diagnostics/diagnostic_vocabulary.h"
#include "engine/finite_samples.h"
#include "engine/kernel_status.h"
#include "engine/kernel_trace.h"
#include "kernel/denormal_guard.h"
#include "kernel/dovrel_kernel.h"

namespace vanto {

namespace {

bool channelHasSound(const float* samples, int frames) {
    return std::any_of(samples, samples + frames, [](float sample) { return sample != 0.0f; });
}

bool outputsSilent(float* const* out, int channels, int frames) {
    for (int ch = 0; ch < channels; ++ch) {
        if (out[ch] != nullptr && channelHasSound(out[ch], frames)) {
            return false;
        }
    }
    return true;
}

void clearRange(float* const* out, int channels, int offset, int frames) {
    for (int ch = 0; ch < channels; ++ch) {
        if (out[ch] != nullptr) {
            std::fill_n(out[ch] + offset, frames, 0.0f);
        }
    }
}

} // namespace

void KernelEngine::clearOutputs(float* const* out, int channels, int frames) {
    if (out == nullptr || channels < 1 || frames < 1) {
        return;
    }
    clearRange(out, channels, 0, frames);
}

void KernelEngine::renderChannel(const float* in, float* out, int frames) {
    if (in != out && frames > 0) {
        std::memmove(out, in, static_cast<std::size_t>(frames) * sizeof(float));
    }
}

void KernelEngine::renderInstrumentBlock(float* const* out, int channels, int frames) {
    clearOutputs(out, channels, frames);
    if (frames > 0) {
        renderedFrames_ += static_cast<uint32_t>(frames);
    }
}

void KernelEngine::processBlock(const float* const* in, int inChannels, float* const* out, int outChannels,
                                int frames) {
    renderBlock(in, inChannels, out, outChannels, frames);
    applyDeferredParams();
}

void KernelEngine::renderBlock(const float* const* in, int inChannels, float* const* out, int outChannels,
                               int frames) {
    if (passingThrough_) {
        passInputThrough(in, inChannels, out, outChannels, frames);
        return;
    }
    if (!ready_) {
        failBlock(out, outChannels, frames, kDiagProcessFailed, kSeverityFatal);
        return;
    }
    callbackFailed_ = false;
    outputSilent_ = false;
    if (frames <= 0) {
        // A flush: the host hands the same changes again with its next audio block, so they only
        // update the mirror here and reach the kernel then.
        events_.sortByFrame();
        copyQueuedParametersToMirror();
        events_.clear();
        return;
    }
    if (out == nullptr || outChannels < 1 || frames > maxBlockFrames_ || kernelHandle_ == 0 ||
        !viewsUsable()) {
        failBlock(out, outChannels, frames, kDiagProcessFailed, kSeverityError);
        return;
    }
    const DenormalGuard denormals;
    if (rateConversionActive_ && hostRate_ != kKernelSampleRate) {
        processConverted(in, inChannels, out, outChannels, frames);
    } else {
        processDirect(in, inChannels, out, outChannels, frames);
    }
}

void KernelEngine::passInputThrough(const float* const* in, int inChannels, float* const* out,
                                    int outChannels, int frames) {
    // The host's changes still become the stored values, so a state saved meanwhile keeps them.
    events_.sortByFrame();
    copyQueuedParametersToMirror();
    events_.clear();
    paramsDirty_.store(true);
    if (frames <= 0) {
        callbackFailed_ = false;
        return;
    }
    if (out == nullptr || outChannels < 1 || frames > maxBlockFrames_) {
        failBlock(out, outChannels, frames, kDiagProcessFailed, kSeverityError);
        return;
    }
    for (int ch = 0; ch < outChannels; ++ch) {
        // Like the kernel's input, a mono input feeds every output channel.
        const float* source = in != nullptr && inChannels > 0 ? in[std::min(ch, inChannels - 1)] : nullptr;
        if (out[ch] == nullptr) {
            continue;
        }
        if (source != nullptr) {
            copyFiniteSamples(source, out[ch], static_cast<std::size_t>(frames));
        } else {
            std::fill_n(out[ch], frames, 0.0f);
        }
    }
    callbackFailed_ = false;
    outputSilent_ = outputsSilent(out, outChannels, frames);
}

void KernelEngine::failBlock(float* const* out, int outChannels, int frames, uint32_t code,
                             uint8_t severity) {
    clearOutputs(out, outChannels, frames);
    events_.clear();
    callbackFailed_ = true;
    outputSilent_ = true;
    recordRealtimeDiagnostic(code, severity, kPhaseProcess);
}

void KernelEngine::processDirect(const float* const* in, int inChannels, float* const* out, int outChannels,
                                 int frames) {
    queueHostTempoChange();
    events_.sortByFrame();
    // Events before the block are never dispatched.
    int next = 0;
    while (next < events_.count() && events_[next].frame < 0) {
        ++next;
    }
    // A value queued for the very start of the block replaces a pending republish of the same id.
    SkipSet startSkip{};
    for (int i = next; i < events_.count() && events_[i].frame == 0; ++i) {
        if (events_[i].kind == kEventParameter) {
            startSkip[events_[i].target] = true;
        }
    }
    const SkipSet noSkip{};
    std::FILE* trace = kernelTraceFile();

    for (int offset = 0; offset < frames; offset += kKernelChunkFrames) {
        const int chunk = std::min(frames - offset, kKernelChunkFrames);
        if (trace != nullptr) {
            if (offset == 0) {
                advanceKernelTraceBlock();
            }
            traceKernelChunk(trace, this, offset, chunk, frames, events_.count());
        }
        // The skip applies only where those values are pushed: a value refused there is dirty again
        // and is republished at a later chunk.
        publishDirtyProductParameters(offset == 0 ? startSkip.data() : noSkip.data());
        republishHostTempo();
        for (; next < events_.count() && events_[next].frame < offset + chunk; ++next) {
            const auto frame = static_cast<uint32_t>(events_[next].frame - offset);
            if (dispatchEvent(events_[next], frame, true)) {
                recordRealtimeDiagnostic(kDiagEventRejected, kSeverityError, kPhaseProcess);
            }
        }
        if (trace != nullptr) {
            std::fflush(trace);
        }
        copyChunkInput(in, inChannels, offset, chunk);
        const bool sidechained = copyChunkSidechain(offset, chunk);
        if (kernelSucceeded(processKernelChunk(static_cast<uint32_t>(chunk), sidechained))) {
            copyChunkOutput(out, outChannels, offset, chunk);
        } else {
            callbackFailed_ = true;
            recordRealtimeDiagnostic(kDiagProcessFailed, kSeverityError, kPhaseProcess);
            clearRange(out, outChannels, offset, chunk);
        }
        meterKernelCall(static_cast<uint32_t>(chunk));
    }
    events_.clear();
    outputSilent_ = outputsSilent(out, outChannels, frames);
}

void KernelEngine::copyChunkInput(const float* const* in, int inChannels, int offset, int chunk) {
    const float* left = nullptr;
    const float* right = nullptr;
    if (in != nullptr && inChannels > 0) {
        left = in[0];
        // A mono input feeds both kernel channels.
        right = inChannels > 1 ? in[1] : in[0];
    }
    const float* sources[kKernelChannels] = {left, right};
    for (int ch = 0; ch < kKernelChannels; ++ch) {
        float* destination = kernelInput_ + ch * kKernelChunkFrames;
        if (sources[ch] != nullptr) {
            copyFiniteSamples(sources[ch] + offset, destination, static_cast<std::size_t>(chunk));
        } else {
            std::fill_n(destination, chunk, 0.0f);
        }
    }
}

void KernelEngine::copyChunkOutput(float* const* out, int outChannels, int offset, int chunk) const {
    for (int ch = 0; ch < outChannels; ++ch) {
        if (out[ch] == nullptr) {
            continue;
        }
        // Channels beyond the kernel's two repeat its first channel.
        const float* source = kernelOutput_ + (ch == 1 ? kKernelChunkFrames : 0);
        std::copy_n(source, chunk, out[ch] + offset);
    }
}

} // namespace vanto
