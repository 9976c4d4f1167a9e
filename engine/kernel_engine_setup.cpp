#include "engine/kernel_engine.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <new>

#include "diagnostics/diagnostic_vocabulary.h"
#include "engine/kernel_trace.h"
#include "kernel/dovrel_kernel.h"

namespace vanto {

namespace {

std::atomic<bool> kernelHasTrapped{false};

void reportKernelTrap(void* /*context*/, const char* message, uint32_t length, const void* /*code*/) {
    kernelHasTrapped.store(true, std::memory_order_relaxed);
    std::fprintf(stderr, "vanto-plugin-shell: morlinc trap: %.*s\n", static_cast<int>(length), message);
}

// The kernel module is process-wide: its runtime is set up once, by the first engine that gets this
// far, and never torn down (running it again would discard every engine's instance).
void initialiseKernelRuntimeOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        dovrel_kernel_set_panic_sink(&reportKernelTrap, nullptr);
        dovrel_kernel_runtime_init();
    });
}

// Converter FIFO frames per channel: room for the filter history around three host blocks, and for
// one host block's worth of kernel frames plus margin.
unsigned __int128 fifoCapacityFor(HostRate rate, int maxBlockFrames) {
    using u128 = unsigned __int128;
    const u128 block = static_cast<u128>(maxBlockFrames);
    const u128 historyFrames = 3 * block + 8;
    const u128 scaled = block * kKernelRateHz * rate.denominator;
    const u128 kernelFrames = (scaled + rate.numerator - 1) / rate.numerator + 64;
    return historyFrames > kernelFrames ? historyFrames : kernelFrames;
}

// The kernel reports its handle as a number; anything that is not a valid 32-bit handle is a failure.
uint32_t handleFromNumber(double number) {
    return number >= 1.0 && number <= 4294967295.0 ? static_cast<uint32_t>(number) : 0;
}

} // namespace

bool KernelEngine::kernelTrapped() {
    return kernelHasTrapped.load(std::memory_order_relaxed);
}

bool KernelEngine::setup(double sampleRate, int maxBlockFrames) {
    ready_ = false;
    passingThrough_ = false;
    callbackFailed_ = false;
    outputSilent_ = true;

    HostRate rate;
    if (!acceptConfiguration(sampleRate, maxBlockFrames, rate)) {
        return false;
    }
    rate_ = rate;
    hostRate_ = static_cast<double>(rate.numerator) / static_cast<double>(rate.denominator);
    maxBlockFrames_ = maxBlockFrames;

    const unsigned __int128 capacity = fifoCapacityFor(rate, maxBlockFrames);
    if (capacity > kMaxFifoCapacity) {
        recordDiagnostic(kDiagInvalidConfiguration, kSeverityError, kPhaseConfigure,
                         "host rate requires unsupported SRC FIFO capacity", nullptr);
        return false;
    }
    try {
        adapter_.configure(rate, static_cast<uint64_t>(capacity));
    } catch (const std::bad_alloc&) {
        recordDiagnostic(kDiagEngineUnavailable, kSeverityFatal, kPhaseConfigure,
                         "sample-rate converter buffers could not be allocated", nullptr);
        return false;
    }
    adapterFailed_ = false;
    rateConversionActive_ = hostRate_ != kKernelSampleRate;

    midiOutput_.clear();
    // The sample-rate adapter may still hold parameter changes for a kernel chunk it has not rendered
    // yet. They are the host's newest values, so they become the stored values (republished to the
    // new instance with its first chunk, and saved with the state) instead of being lost.
    flushParameterEvents();
    velocityRandomState_.store(kVelocityRandomSeed, std::memory_order_relaxed);
    renderedFrames_ = 0;

    initialiseKernelRuntimeOnce();
    createKernelInstance();
    if (kernelHandle_ == 0) {
        recordDiagnostic(kDiagKernelCreateFailed, kSeverityFatal, kPhaseConfigure,
                         "product kernel instance creation failed", nullptr);
    } else {
        // A new instance holds the defaults; the first chunk republishes whatever differs.
        resetProductParameterShadow();
        dovrel_kernel_input_view(kernelHandle_, &kernelInput_, &kernelInputLength_);
        dovrel_kernel_output_view(kernelHandle_, &kernelOutput_, &kernelOutputLength_);
        dovrel_kernel_sidechain_view(kernelHandle_, &kernelSidechain_, &kernelSidechainLength_);
        if (viewsUsable()) {
            ready_ = true;
            return true;
        }
    }
    recordDiagnostic(kDiagEngineUnavailable, kSeverityFatal, kPhaseConfigure,
                     "kernel runtime is unavailable after setup", nullptr);
    std::fprintf(stderr, "vanto-plugin-shell: kernel setup failed at %.9g Hz\n", hostRate_);
    // The track keeps its sound rather than going silent; the diagnostics above say why it is dry.
    passingThrough_ = true;
    return false;
}

bool KernelEngine::acceptConfiguration(double sampleRate, int maxBlockFrames, HostRate& rate) {
    if (hostRateFromHz(sampleRate, rate) && maxBlockFrames >= 1 && maxBlockFrames <= kMaxHostBlockFrames) {
        return true;
    }
    recordDiagnostic(kDiagInvalidConfiguration, kSeverityError, kPhaseConfigure,
                     "host processing configuration is invalid", nullptr);
    std::fprintf(stderr, "vanto-plugin-shell: rejected host format (sampleRate=%.9g, maxBlockFrames=%d)\n",
                 sampleRate, maxBlockFrames);
    if (maxBlockFrames > kMaxHostBlockFrames) {
        std::fprintf(
            stderr,
            "vanto-plugin-shell: maxBlockFrames exceeds the %d-frame ceiling; render long fixtures as a "
            "LOOP of <=%d-frame blocks rather than declaring the whole fixture as one block\n",
            kMaxHostBlockFrames, kMaxHostBlockFrames);
    }
    return false;
}

void KernelEngine::createKernelInstance() {
    if (kernelHandle_ != 0) {
        dovrel_kernel_destroy(kernelHandle_);
    }
    kernelInput_ = nullptr;
    kernelOutput_ = nullptr;
    kernelInputLength_ = 0;
    kernelOutputLength_ = 0;
    kernelSidechain_ = nullptr;
    kernelSidechainLength_ = 0;
    // The instance always runs at the kernel's own rate and chunk size, whatever the host's are.
    kernelHandle_ = handleFromNumber(
        dovrel_kernel_create(kKernelChunkFrames, kKernelChannels, kKernelChannels, kKernelSampleRate));
    if (std::FILE* trace = kernelTraceFile()) {
        traceKernelSetup(trace, this, hostRate_, kernelHandle_);
    }
}

bool KernelEngine::viewsUsable() const {
    constexpr uint32_t kRegionSamples = kKernelChannels * kKernelChunkFrames;
    return kernelInput_ != nullptr && kernelOutput_ != nullptr && kernelInputLength_ >= kRegionSamples &&
           kernelOutputLength_ >= kRegionSamples;
}

} // namespace vanto
