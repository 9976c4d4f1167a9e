// The processor's MIDI controller input. The host delivers controllers as changes of the hidden MIDI CC
// parameters (one per channel and controller number); each block, MidiCcInput turns those changes back
// into controller messages in sample order, records them in the CC activity feed for the page, and
// resolves them through the CC map with the router state that keeps takeover and toggle edges. Every
// resolved value goes to the engine at the message's sample offset and to the host as an output
// parameter change, so the controller, the host's automation and a saved state follow.
//
// Threads: publishMap, collect and drainActivity run on the main thread; route runs on the audio thread
// and never allocates, locks or blocks (the map arrives through the lock-free CcMapStore).
#pragma once

#include "ccmap/cc_activity_feed.h"
#include "ccmap/cc_map.h"
#include "ccmap/cc_map_store.h"
#include "ccmap/cc_resolve.h"
#include "ccmap/cc_router_state.h"
#include "engine/kernel_engine.h"

#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <array>
#include <cstdint>

namespace vanto {

class MidiCcInput {
  public:
    // Controller messages taken from one block; more are dropped (a host sends far fewer).
    static constexpr int kMaxMessagesPerBlock = 1024;

    // Main thread: the map the audio thread resolves with from its next block on. False when it could
    // not be copied (the previous map stays).
    bool publishMap(const CcMap& map) { return store.publish(map); }
    // Main thread: frees the maps the audio thread can no longer hold.
    void collect() { store.collect(); }
    // Main thread: the controllers that moved since the last drain, rate-limited per controller.
    unsigned drainActivity(CcActivityRecord* out, unsigned capacity) {
        return activity.drain(CcActivityFeed::nowMs(), out, capacity);
    }

    // Audio thread: the block's controller messages resolved and applied. In a flush call (no audio)
    // the values become the engine's stored values at once.
    void route(Steinberg::Vst::IParameterChanges* in, Steinberg::Vst::IParameterChanges* out,
               KernelEngine& engine, bool flush);

  private:
    struct Message {
        int32_t sampleOffset;
        int32_t order; // arrival order, so equal offsets keep the host's order
        uint8_t channel;
        uint8_t controller;
        uint8_t value;
    };

    // What the resolver needs to know a parameter's value at the message being resolved: the last
    // value this block applied, else the host's latest point up to that offset, else the engine's.
    struct CurrentValues {
        KernelEngine* engine = nullptr;
        std::array<Steinberg::Vst::IParamValueQueue*, KernelEngine::kParamCount> hostQueues{};
        std::array<double, KernelEngine::kParamCount> applied{};
        std::array<int32_t, KernelEngine::kParamCount> appliedOffset{};
        int32_t offset = 0;

        void begin(Steinberg::Vst::IParameterChanges* in, KernelEngine& engine);
        double at(uint32_t parameter) const;
        static double read(void* context, unsigned parameter);
    };

    int collectMessages(Steinberg::Vst::IParameterChanges& in);
    void apply(const CcResolution& result, int32_t sampleOffset, Steinberg::Vst::IParameterChanges* out,
               KernelEngine& engine, bool flush);

    CcMapStore store;
    CcRouterState router;
    CcActivityFeed activity;
    CurrentValues current;
    std::array<Message, kMaxMessagesPerBlock> messages{};
    std::array<CcResolution, kCcMapCapacity> results{};
};

} // namespace vanto
