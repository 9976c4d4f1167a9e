// The host-side owner of one instance of the DSP kernel. The kernel only runs at 48000 Hz on blocks of
// at most 128 frames with two planar channels each way; the engine adapts whatever the host asks for:
// it validates the host's rate and block size, converts the sample rate when it differs, cuts host
// blocks into kernel chunks, hands queued parameter and note events to the kernel at their frames,
// keeps a mirror of every parameter's plain value so that a fresh kernel instance is brought up to
// date, and records what goes wrong without ever blocking the audio thread.
//
// Threads: setup, the constructor, the destructor, resetParams, recordDiagnostic and
// drainRuntimeDiagnostics run outside the audio thread while no block is processed (apart from the
// drain, which may run at any time); setParamValue may run on the state thread at any time; the event
// pushes and processBlock belong to the audio thread, which never allocates, locks or blocks here.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "banks/sampler_pad_overrides.h"
#include "banks/staged_bank.h"
#include "diagnostics/runtime_diagnostic_ring.h"
#include "engine/bank_recall_outcome.h"
#include "engine/host_rate.h"
#include "engine/kernel_event_queue.h"
#include "engine/meter_aggregator.h"
#include "engine/meter_ring.h"
#include "engine/midi_output_store.h"
#include "engine/rate_adapter.h"
#include "engine/realtime_diagnostic_queue.h"
#include "engine/sampler_velocity.h"

namespace vanto {

class KernelEngine {
  public:
    static constexpr double kKernelSampleRate = 48000.0;
    static constexpr int kKernelChunkFrames = 128;
    static constexpr int kKernelChannels = 2;
    static constexpr int kMaxHostBlockFrames = 16384;
    static constexpr uint64_t kMaxFifoCapacity = 1048576;
    static constexpr uint32_t kParamCount = 34;
    static constexpr int kDefaultVariation = 16;
    static constexpr int kMaxVariation = 19;

    KernelEngine();
    ~KernelEngine();
    KernelEngine(const KernelEngine&) = delete;
    KernelEngine& operator=(const KernelEngine&) = delete;

    // --- Set-up and lifecycle ---

    // Validates the host's rate and largest block, sizes the converter for them, initialises the
    // kernel runtime once per process and replaces the kernel instance with a new one at 48000 Hz.
    // The parameter mirror survives, taking in the queued parameter changes (the newest per
    // parameter wins); the first rendered chunk brings the new instance up to date.
    // False (with a recorded diagnostic) when the configuration is invalid or no instance is usable.
    bool setup(double sampleRate, int maxBlockFrames);
    // The kernel is linked into the module, so it is always available.
    bool hasKernel() const { return true; }
    // Whether the kernel module has reported a fatal internal error anywhere in the process.
    static bool kernelTrapped();
    uint32_t instanceToken() const { return kernelHandle_; }
    void setVariation(int variation);
    int variation() const { return variation_; }
    // Back to the default parameter state without replacing the kernel instance.
    void resetParams();
    // Rewinds the sample-rate adapter and clears its failure latch; its buffers and tables stay.
    void resetRateAdapterState();

    double hostRate() const { return hostRate_; }
    uint64_t rateNumerator() const { return rate_.numerator; }
    uint64_t rateDenominator() const { return rate_.denominator; }
    int maxBlockFrames() const { return maxBlockFrames_; }
    uint64_t fifoCapacity() const { return adapter_.fifoCapacity(); }
    bool ready() const { return ready_; }
    // Whether the host's configuration was accepted but no kernel instance could be had (the pool is
    // full): blocks then pass the input through unchanged, without latency, until a set-up succeeds.
    bool passingThrough() const { return passingThrough_; }
    bool rateConversionActive() const { return rateConversionActive_; }
    // The sample-rate adapter's delay in whole host frames (rounded up), 0 at the kernel's own rate.
    int latencySamples() const;

    // --- Events (audio thread) ---

    // Queues a host parameter change, converted to its plain value (the normalized value clamped to
    // [0, 1], NaN read as 0, as the controller reads it); false for an unknown id or a full queue.
    bool pushParamNormalized(uint32_t id, double normalized, int sampleOffset);
    bool pushNoteOn(int note, double velocity, int sampleOffset, uint32_t route, uint32_t channel);
    bool pushNoteOff(int note, int sampleOffset, uint32_t route, uint32_t channel);
    bool pushController(uint32_t controller, uint32_t value, int sampleOffset, uint32_t route,
                        uint32_t channel);
    // The host's tempo for the coming block (0 or not a number: the host gives none), limited to the
    // tempo range. A change reaches the kernel at the block's first frame.
    void setHostTempo(double bpm);
    // Stable sort of the queue by frame.
    void sortEventsInPlace();
    // Applies every queued parameter change to the mirror (to be republished) and empties the queue.
    void flushParameterEvents();
    int queuedEventCount() const { return events_.count(); }
    // Places left in the event queue.
    int eventQueueRoom() const { return KernelEventQueue::kCapacity - events_.count(); }
    // A host change that found no place in the queue: once the block has been rendered it becomes the
    // stored value (replacing older queued changes of the same parameter, which would otherwise land
    // after it), and the kernel gets it with the next chunk. Read like pushParamNormalized's value;
    // unknown ids are ignored.
    void deferParamNormalized(uint32_t id, double normalized);
    const KernelEvent& queuedEvent(int index) const { return events_[index]; }
    // This kernel has no event inputs or outputs; every note goes to input 0.
    int eventInputCount() const { return 0; }
    int eventOutputCount() const { return 0; }
    uint32_t eventRouteForInput(int /*bus*/) const { return 0; }
    const MidiOutputStore& midiOutput() const { return midiOutput_; }

    // --- Parameter mirror (state thread) ---

    // Stores a plain value to be republished to the kernel at the next chunk; ignores unknown ids and
    // non-finite values.
    void setParamValue(uint32_t id, double plain);
    double paramValue(uint32_t id) const;
    double paramNormalized(uint32_t id) const;
    // Records that the kernel instance holds the defaults (as a new or reset instance does).
    void resetProductParameterShadow();

    // --- Pushing to the kernel (audio thread) ---

    // Hands one parameter value to the kernel at `frame` of the next chunk. A refused value is offered
    // again (as "republish") at the next chunk.
    bool pushProductParameter(uint32_t id, uint32_t frame, double value, const char* source);
    // When values were changed outside the audio stream, pushes every one the kernel does not hold
    // yet, at frame 0 and in id order, except those marked in `skip`.
    void publishDirtyProductParameters(const bool skip[kParamCount]);

    // --- Block processing (audio thread) ---

    // Renders one host block. Any failure clears the output, sets callbackFailed() and is reported
    // through the realtime diagnostic queue. A block of 0 frames only moves the queued parameter
    // values into the mirror. `sideChain` is the external side-chain's channels for the block (a mono
    // one counts for both kernel channels); null, no channels or a null first channel: none.
    void processBlock(const float* const* in, int inChannels, const float* const* sideChain,
                      int sideChainChannels, float* const* out, int outChannels, int frames);
    void processBlock(const float* const* in, int inChannels, float* const* out, int outChannels, int frames);
    // Whether the last block was not rendered (its output was cleared).
    bool callbackFailed() const { return callbackFailed_; }
    // Whether the last block's output was entirely zero.
    bool outputSilent() const { return outputSilent_; }
    // Whether the sample-rate adapter failed; latched until the next setup.
    bool adapterFailed() const { return adapterFailed_; }

    static void clearOutputs(float* const* out, int channels, int frames);
    static void renderChannel(const float* in, float* out, int frames);
    // Clears the outputs and counts the frames as rendered.
    void renderInstrumentBlock(float* const* out, int channels, int frames);
    uint32_t renderedFrames() const { return renderedFrames_; }

    // --- Sampler pad overrides (state and message threads, apart from the readers noted) ---

    // Publishes an immutable copy of `overrides` and rebuilds the velocity sensitivity from it. False,
    // with the previous snapshot kept, for more than 256 entries or an entry with an empty mask, an
    // empty id or an id longer than 160 bytes. An empty list is valid and clears the overrides.
    bool publishSamplerPadOverrides(const SamplerPadOverrides& overrides);
    // The published snapshot, or null before the first publication; valid until the next
    // publication on the publishing thread.
    const SamplerPadOverrides* samplerPadOverrides() const {
        return samplerPadOverridesReader_.load(std::memory_order_acquire);
    }
    // For a reader on another thread: marks the current snapshot as in use, so that publications keep
    // it alive until releaseSamplerPadOverrides(). One reader at a time.
    const SamplerPadOverrides* acquireSamplerPadOverrides();
    void releaseSamplerPadOverrides();
    // 0 before the first publication, then counts publications (skipping 0 when it wraps).
    uint32_t samplerPadOverridesGeneration() const { return samplerPadGeneration_; }
    // Snapshots replaced but still marked in use by a reader.
    std::size_t retiredSamplerPadOverrideCount() const { return retiredSamplerPadOverrides_.size(); }
    // Rebuilds the per-key velocity sensitivity from the overrides and a bank's single-key zones.
    void refreshSamplerPadVelocitySensitivity(const SamplerPadOverrides* overrides, const StagedBank* bank,
                                              unsigned /*unused*/);
    float samplerVelocitySensitivity(int key) const;
    // The sampler velocity of a note-on; unchanged, as this product's parameters include no velocity
    // controls. Safe on the audio thread.
    double resolveSamplerVelocity(int note, double velocity);
    uint32_t velocityRandomState() const { return velocityRandomState_.load(std::memory_order_relaxed); }

    // --- Sample banks (state and message threads) ---

    // This engine plays no sample bank: every bank is refused and nothing is kept. The caller reports
    // the refusal.
    bool publishRuntimeBank(std::shared_ptr<const StagedBank> bank);
    // The outcome of recalling the bank a restored state names (`hasBankRef` and `bankId` of the
    // state's bank reference): no bank is available, so a named one is recorded as missing.
    BankRecallOutcome recallSampleBank(bool hasBankRef, const char* bankId);
    // Records a refused bank load; nothing for RuntimeBankOutcome::ok.
    void recordRuntimeBankFailure(RuntimeBankOutcome outcome, const char* message, const char* source);
    // Records a failed bank recall; nothing for BankRecallOutcome::ok.
    void recordBankRecallFailure(BankRecallOutcome outcome, const char* bankId);

    // --- Meters ---

    // Whether the kernel's meter records are gathered (any thread): while off, the audio thread only
    // counts frames and the ring stays empty.
    void setMetersWanted(bool wanted) { metersWanted_.store(wanted, std::memory_order_relaxed); }
    bool metersWanted() const { return metersWanted_.load(std::memory_order_relaxed); }
    // About 100 records a second while wanted, whatever the host's rate and block size; the main
    // thread pops them.
    MeterRing& meterRing() { return meterRing_; }

    // --- Diagnostics ---

    // Appends a record to the diagnostic ring. Not for the audio thread.
    void recordDiagnostic(uint32_t code, uint8_t severity, uint8_t phase, const char* text,
                          const char* detail);
    // The audio thread's report: queued without blocking, counted as dropped when the queue is full.
    void recordRealtimeDiagnostic(uint32_t code, uint8_t severity, uint8_t phase);
    // Moves the audio thread's reports into the ring, plus one record for any that were dropped.
    void drainRuntimeDiagnostics();
    // Whether the audio thread has reports (or dropped reports) waiting for the drain.
    bool hasPendingRuntimeDiagnostics() const { return realtimeDiagnostics_.pending(); }
    const vanto_runtime_diagnostic_ring& diagnostics() const { return diagnostics_; }

  private:
    using SkipSet = std::array<bool, kParamCount>;

    bool acceptConfiguration(double sampleRate, int maxBlockFrames, HostRate& rate);
    void createKernelInstance();
    bool viewsUsable() const;

    void renderBlock(const float* const* in, int inChannels, float* const* out, int outChannels, int frames);
    void passInputThrough(const float* const* in, int inChannels, float* const* out, int outChannels,
                          int frames);
    void applyDeferredParams();
    void failBlock(float* const* out, int outChannels, int frames, uint32_t code, uint8_t severity);
    void copyQueuedParametersToMirror();
    void processDirect(const float* const* in, int inChannels, float* const* out, int outChannels,
                       int frames);
    void processConverted(const float* const* in, int inChannels, float* const* out, int outChannels,
                          int frames);
    bool processHandleV2RateConverted(const float* const* in, int inChannels, float* const* out,
                                      int outChannels, int frames);
    void stampNewEvents(int frames);
    SkipSet skipSetForConvertedStart() const;
    bool runConvertedChunks(uint64_t staged, bool sidechained, const SkipSet& skip, int& dispatched);
    void copyChunkInput(const float* const* in, int inChannels, int offset, int chunk);
    void copyChunkOutput(float* const* out, int outChannels, int offset, int chunk) const;
    // Gathers the meter record of the kernel call just made (audio thread).
    void meterKernelCall(uint32_t frames);
    // External side-chain (kernel_engine_sidechain.cpp).
    bool blockHasSidechain() const;
    // Copies the block's side-chain frames into the kernel's side-chain region; false when the block
    // has none.
    bool copyChunkSidechain(int offset, int chunk);
    void copyStagedSidechain(uint64_t done, uint32_t chunk);
    double processKernelChunk(uint32_t chunk, bool sidechained);
    // Host tempo (kernel_engine_host_tempo.cpp): the newest value queued or given to the kernel.
    double newestHostTempo() const;
    void queueHostTempoChange();
    void dispatchHostTempo(uint32_t frame, double bpm);
    // Gives a new or reset kernel instance, or one that refused it, the tempo it should hold.
    void republishHostTempo();
    void pushHostTempo(uint32_t frame, double bpm, const char* source);
    // Hands one queued event to the kernel at `frame` of the coming chunk; true when the kernel
    // refused a note event.
    bool dispatchEvent(const KernelEvent& event, uint32_t frame, bool traceNotes);

    double hostRate_ = kKernelSampleRate;
    int maxBlockFrames_ = 0;
    bool ready_ = false;
    bool passingThrough_ = false;
    bool callbackFailed_ = false;
    bool outputSilent_ = false;
    bool adapterFailed_ = false;
    bool rateConversionActive_ = false;
    vanto_runtime_diagnostic_ring diagnostics_{};
    RealtimeDiagnosticQueue realtimeDiagnostics_;
    RateAdapter adapter_;
    HostRate rate_{};
    KernelEventQueue events_;
    MidiOutputStore midiOutput_;
    // Written by the state thread and the audio thread; the dirty flag publishes the change.
    std::array<std::atomic<double>, kParamCount> params_{};
    std::atomic<bool> paramsDirty_{true};
    // Host changes deferred to the end of the block (audio thread only): one bit per parameter id.
    std::array<double, kParamCount> deferredParams_{};
    uint64_t deferredParamMask_ = 0;
    int variation_ = kDefaultVariation;
    uint32_t kernelHandle_ = 0;
    std::array<double, kParamCount> paramShadow_{};
    // Host tempo: asked for by the processor, last handed to the kernel, held by the kernel instance.
    double hostTempoRequest_ = 0;
    double hostTempoDispatched_ = 0;
    double kernelHostTempo_ = 0;
    float* kernelInput_ = nullptr;
    uint32_t kernelInputLength_ = 0;
    float* kernelOutput_ = nullptr;
    uint32_t kernelOutputLength_ = 0;
    float* kernelSidechain_ = nullptr;
    uint32_t kernelSidechainLength_ = 0;
    // The side-chain channels of the block being processed; null when it has none.
    const float* sidechainLeft_ = nullptr;
    const float* sidechainRight_ = nullptr;
    // Sampler: the published overrides (shared, immutable), the pointer readers use, snapshots kept
    // for a reader that still holds one, and the snapshot a reader has marked.
    std::shared_ptr<const SamplerPadOverrides> samplerPadSnapshot_;
    std::atomic<const SamplerPadOverrides*> samplerPadOverridesReader_{nullptr};
    std::vector<std::shared_ptr<const SamplerPadOverrides>> retiredSamplerPadOverrides_;
    std::atomic<const SamplerPadOverrides*> samplerPadOverridesInUse_{nullptr};
    uint32_t samplerPadGeneration_ = 0;
    SamplerVelocitySensitivity samplerVelocitySensitivity_;
    SamplerVelocityParamIds samplerVelocityParams_;
    uint32_t renderedFrames_ = 0;
    std::atomic<bool> metersWanted_{false};
    MeterAggregator meterAggregator_;
    MeterRing meterRing_;
    std::atomic<uint32_t> velocityRandomState_{kVelocityRandomSeed};
};

} // namespace vanto
