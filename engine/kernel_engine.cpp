#include "engine/kernel_engine.h"

#include <algorithm>
#include <cmath>

#include "diagnostics/runtime_diagnostic_ring.h"
#include "kernel/dovrel_kernel.h"
#include "kernel/param_table.h"

namespace vanto {

namespace {

static_assert(KernelEngine::kParamCount == VANTO_PARAM_COUNT);
static_assert(KernelEngine::kParamCount == DOVREL_KERNEL_PARAMETER_COUNT);
static_assert(KernelEngine::kKernelChunkFrames == DOVREL_KERNEL_MAX_FRAMES);

double defaultPlain(uint32_t id) {
    return VANTO_PARAMS[id].defaultPlain;
}

} // namespace

KernelEngine::KernelEngine() {
    for (uint32_t id = 0; id < kParamCount; ++id) {
        params_[id].store(defaultPlain(id), std::memory_order_relaxed);
    }
    samplerVelocityParams_ = findSamplerVelocityParamIds(VANTO_PARAMS);
    rebuildSamplerVelocitySensitivity(samplerVelocitySensitivity_, nullptr, nullptr);
    resetProductParameterShadow();
}

KernelEngine::~KernelEngine() {
    if (kernelHandle_ != 0) {
        dovrel_kernel_destroy(kernelHandle_);
    }
}

void KernelEngine::setVariation(int variation) {
    variation_ = std::clamp(variation, 0, kMaxVariation);
}

void KernelEngine::resetParams() {
    for (uint32_t id = 0; id < kParamCount; ++id) {
        params_[id].store(defaultPlain(id), std::memory_order_relaxed);
    }
    variation_ = kDefaultVariation;
    events_.clear();
    midiOutput_.clear();
    paramsDirty_.store(true);
    velocityRandomState_.store(kVelocityRandomSeed, std::memory_order_relaxed);
    renderedFrames_ = 0;
    resetRateAdapterState();
    if (kernelHandle_ != 0) {
        dovrel_kernel_reset(kernelHandle_);
    }
    resetProductParameterShadow();
}

void KernelEngine::resetRateAdapterState() {
    adapterFailed_ = false;
    adapter_.rewind();
}

int KernelEngine::latencySamples() const {
    // The host is told a whole number of frames, rounded up; the constant keeps an exact whole
    // delay from being rounded up to the next frame by the division's rounding error.
    constexpr double kJustBelowOne = 0.999999;
    if (!rateConversionActive_ || passingThrough_) {
        return 0;
    }
    return static_cast<int>(rateAdapterDelayFrames(hostRate_) + kJustBelowOne);
}

void KernelEngine::setParamValue(uint32_t id, double plain) {
    if (id >= kParamCount || !std::isfinite(plain)) {
        return;
    }
    params_[id].store(plain, std::memory_order_relaxed);
    paramsDirty_.store(true);
}

double KernelEngine::paramValue(uint32_t id) const {
    return id < kParamCount ? params_[id].load(std::memory_order_relaxed) : 0.0;
}

double KernelEngine::paramNormalized(uint32_t id) const {
    return id < kParamCount ? vanto_param_normalize(&VANTO_PARAMS[id], paramValue(id)) : 0.0;
}

void KernelEngine::resetProductParameterShadow() {
    for (uint32_t id = 0; id < kParamCount; ++id) {
        paramShadow_[id] = defaultPlain(id);
    }
    kernelHostTempo_ = 0;
}

void KernelEngine::recordDiagnostic(uint32_t code, uint8_t severity, uint8_t phase, const char* text,
                                    const char* detail) {
    recordRuntimeDiagnostic(diagnostics_, code, severity, phase, text, detail);
}

void KernelEngine::recordRealtimeDiagnostic(uint32_t code, uint8_t severity, uint8_t phase) {
    realtimeDiagnostics_.record(code, severity, phase);
}

void KernelEngine::drainRuntimeDiagnostics() {
    // The queue holds as many reports as the ring: once it has overflowed, its reports alone fill an
    // empty ring, and an overflow record written after them could never be stored. It goes first,
    // so the report always says that, and how many, audio-thread reports were lost.
    recordAudioQueueOverflow(diagnostics_, realtimeDiagnostics_.takeDroppedCount());
    realtimeDiagnostics_.drain([this](const RealtimeDiagnostic& report) {
        recordAudioCallbackDiagnostic(diagnostics_, report.code, report.severity, report.phase);
    });
}

} // namespace vanto
