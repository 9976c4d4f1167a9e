// The effect's VST 3 audio processor component: a thin host-facing shell around one KernelEngine. It
// declares one stereo input, one stereo output and a MIDI input, validates the host's set-up, hands parameter
// changes and notes to the engine with their sample offsets, renders each block through it, marks
// silent channels, reports the engine's latency, saves and restores the component state, loads
// runtime sample banks on request, and tells its edit controller about host facts and runtime health.
//
// Threads: process() runs on the host's audio thread and never allocates, locks or blocks. Everything
// else runs on the host's other threads, never concurrently with a set-up or activation call. The packs
// of the controller's bank requests are read on a thread of their own (RuntimeBankRequestQueue), whose
// results the main thread collects when the controller's cadence drains the feeds.
#pragma once

#include "sdk/audio_effect.h"

#include "banks/staged_bank.h"
#include "ccmap/cc_map.h"
#include "diagnostics/host_facts.h"
#include "diagnostics/transport_fact.h"
#include "diagnostics/transport_ring.h"
#include "engine/kernel_engine.h"
#include "processor/midi_cc_input.h"
#include "processor/runtime_bank_request_queue.h"

#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace vanto {

struct StateChunk;

class VantoProcessor : public AudioEffect {
  public:
    // Names the effect's edit controller as its controller class.
    VantoProcessor();
    ~VantoProcessor() override;

    // A new processor with one reference, as its IAudioProcessor interface; null when out of memory.
    // The factory's context is not used.
    static Steinberg::FUnknown* createInstance(void* context);

    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                     Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) override;
    Steinberg::uint32 PLUGIN_API getLatencySamples() override;
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) override;
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) override;
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;

    // Reads the sound pack at `path` (its manifest only: this effect's engine takes no bank, so none is
    // staged) and concludes the load. Each failure is recorded as a runtime diagnostic and the health
    // report sent to the controller; `error` gets the reason.
    RuntimeBankOutcome loadRuntimeBankFromPath(const std::string& path, const std::string& source,
                                               const std::string& instrument, std::string& error);

  private:
    // Audio thread.
    void queueParameterChanges(Steinberg::Vst::IParameterChanges* changes);
    // Queues at most `share` of the queue's points, its last one always among them (deferred to the end
    // of the block when the share is 0); returns how many were queued.
    Steinberg::int32 queuePoints(Steinberg::Vst::IParamValueQueue& queue, Steinberg::int32 share);
    void queueNoteEvents(Steinberg::Vst::IEventList* events);

    // Transport (vanto_processor_transport.cpp). Audio thread: reads the block's process context into
    // a fact, hands its tempo to the engine and queues the fact for the controller.
    void captureTransportFact(const Steinberg::Vst::ProcessContext* context, Steinberg::int32 frames);
    // Main thread: sends the newest queued fact, if any, to the controller.
    void drainTransportToController();
    void adoptTransportPoll(Steinberg::Vst::IMessage& message);
    // On activation: the frame counter starts again and the next block is reported.
    void restartTransportCapture();
    // Whether the host has activated the side-chain bus.
    bool sidechainBusActive();

    // Host facts and runtime health, sent to the controller.
    void captureHostFacts(HostFacts& facts) const;
    void refreshHostFacts();
    void sendRuntimeDiagnostics(bool failed);
    bool setUpEngine(double sampleRate, Steinberg::int32 maxBlockFrames);

    // State.
    void restoreRuntimeBank(const StateChunk& chunk);

    // A pack read for a bank request or a restored state: a pack that is a bank is refused as the
    // engine refuses every bank; every outcome is recorded and reported. Main thread.
    RuntimeBankOutcome concludeRuntimeBankLoad(const RuntimeBankLoad& load, const std::string& source,
                                               std::string& error);

    // Messages from the controller.
    void adoptCcMapMessage(Steinberg::Vst::IMessage& message);
    // The processor's map becomes `map` (none when `present` is false) and the audio thread's with it.
    void adoptCcMap(const CcMap& map, bool present);
    // The controllers that moved since the last drain, sent to the controller for the page.
    void sendMidiActivity();
    void queueRuntimeBankRequest(Steinberg::Vst::IMessage& message);
    // Answers the oldest bank request whose pack has been read, if any.
    void answerReadBankRequest();
    void sendRuntimeBankReply(const char* outcomeName, const std::string& message);
    void adoptPadOverridesMessage(Steinberg::Vst::IMessage& message);
    void sendBinaryMessage(const char* id, const void* bytes, std::size_t size);

    // Meters: the signal feeds the controller asks for, and the records sent to it on each drain.
    void adoptSignalFeedsMessage(Steinberg::Vst::IMessage& message);
    void drainSignalFeedsToController();

    KernelEngine engine;
    HostFacts hostFacts;
    DiagnosticTransportRing transportRing_;
    // Audio thread (and set-up calls while no block is processed).
    TransportFact lastTransport_;
    uint64_t transportFrames_ = 0;
    bool transportReported_ = false;
    // Set by a poll that asks for the transport afresh.
    std::atomic<bool> transportReportRequested_{false};
    CcMap ccMap;
    bool hasCcMap = false;
    MidiCcInput midiCc;
    // Last, so that a pack still being read is waited for before anything else goes.
    RuntimeBankRequestQueue bankRequests;
};

} // namespace vanto
