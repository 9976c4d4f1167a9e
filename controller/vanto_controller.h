// The effect's VST 3 edit controller: the object the host talks to for parameters, the factory
// preset program list, MIDI CC mapping and the editor, and the hub between the host, the audio
// processor (IMessage objects relayed by the host) and the editor page (JSON bridge messages).
//
// It registers the 34 parameters of the parameter table, exposes the factory presets as a program
// list, keeps a copy of the CC map, relays every parameter change to the page, tracks the current
// preset and whether it was edited since, keeps a lifecycle log, and drives a 30 Hz diagnostic
// cadence that polls the processor.
//
// Threads: everything runs on the host's main (UI) thread; the controller takes no locks.
#pragma once

#include "controller/bridge_host.h"
#include "controller/bridge_sink_page.h"
#include "controller/effective_tempo_json.h"
#include "controller/ui_echo_guard.h"

#include "banks/bank_control.h"
#include "banks/bank_control_host.h"
#include "banks/sampler_pad_overrides.h"
#include "ccmap/cc_map.h"
#include "diagnostics/controller_host_facts.h"
#include "diagnostics/diagnostic_feeds.h"
#include "diagnostics/lifecycle_log.h"
#include "diagnostics/meter_feed.h"
#include "diagnostics/preset_state_facts.h"
#include "diagnostics/transport_feed.h"
#include "kernel/param_table.h"

#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vanto {

struct BridgeMessage;
struct CadenceClock;
struct StateChunk;

// The program list's own list parameter, which selects a factory preset.
inline constexpr Steinberg::Vst::ParamID kProgramChangeParamId = 0x3F010001;
inline constexpr Steinberg::Vst::ProgramListID kFactoryProgramListId = 0x3F010001;

class VantoController : public Steinberg::Vst::EditControllerEx1,
                        public Steinberg::Vst::IMidiMapping,
                        public BridgeHost {
  public:
    VantoController();
    ~VantoController() override;

    // A new controller with one reference, as its IEditController interface; null when out of
    // memory. The factory's context is not used.
    static Steinberg::FUnknown* createInstance(void* context);

    // --- host-facing ---
    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    Steinberg::tresult PLUGIN_API terminate() override;
    Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override;
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) override;
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) override;
    Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id,
                                                     Steinberg::Vst::ParamValue value) override;
    Steinberg::tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;
    Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;
    Steinberg::tresult PLUGIN_API getMidiControllerAssignment(Steinberg::int32 busIndex,
                                                              Steinberg::int16 channel,
                                                              Steinberg::Vst::CtrlNumber midiControllerNumber,
                                                              Steinberg::Vst::ParamID& id) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    REFCOUNT_METHODS(EditControllerEx1)

    // --- host queries the SDK's defaults answer without checking their arguments ---
    // Each refuses an index or id it does not know and a null buffer, reads a normalized value clamped
    // to [0, 1] with NaN as 0, and lets no exception through.
    Steinberg::tresult PLUGIN_API getParameterInfo(Steinberg::int32 paramIndex,
                                                   Steinberg::Vst::ParameterInfo& info) override;
    Steinberg::tresult PLUGIN_API getParamStringByValue(Steinberg::Vst::ParamID id,
                                                        Steinberg::Vst::ParamValue valueNormalized,
                                                        Steinberg::Vst::String128 string) override;
    Steinberg::tresult PLUGIN_API getParamValueByString(Steinberg::Vst::ParamID id,
                                                        Steinberg::Vst::TChar* string,
                                                        Steinberg::Vst::ParamValue& valueNormalized) override;
    Steinberg::Vst::ParamValue PLUGIN_API
    normalizedParamToPlain(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue valueNormalized) override;
    Steinberg::Vst::ParamValue PLUGIN_API
    plainParamToNormalized(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue plainValue) override;
    Steinberg::tresult PLUGIN_API getUnitInfo(Steinberg::int32 unitIndex,
                                              Steinberg::Vst::UnitInfo& info) override;
    Steinberg::tresult PLUGIN_API getProgramListInfo(Steinberg::int32 listIndex,
                                                     Steinberg::Vst::ProgramListInfo& info) override;
    Steinberg::tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId,
                                                 Steinberg::int32 programIndex,
                                                 Steinberg::Vst::String128 name) override;
    Steinberg::tresult PLUGIN_API getProgramInfo(Steinberg::Vst::ProgramListID listId,
                                                 Steinberg::int32 programIndex,
                                                 Steinberg::Vst::CString attributeId,
                                                 Steinberg::Vst::String128 attributeValue) override;
    Steinberg::tresult PLUGIN_API getProgramPitchName(Steinberg::Vst::ProgramListID listId,
                                                      Steinberg::int32 programIndex,
                                                      Steinberg::int16 midiPitch,
                                                      Steinberg::Vst::String128 name) override;
    Steinberg::tresult PLUGIN_API setComponentHandler(Steinberg::Vst::IComponentHandler* handler) override;
    Steinberg::tresult PLUGIN_API connect(Steinberg::Vst::IConnectionPoint* other) override;
    Steinberg::tresult PLUGIN_API disconnect(Steinberg::Vst::IConnectionPoint* other) override;

    // --- page-facing (BridgeHost) ---
    void handleBridgeMessage(const char* bytes, std::size_t length) override;
    void setBridgeSink(std::function<void(const std::string&)> sink) override;
    void onEditorOpened() override;
    void onEditorClosed() override;
    void onEditorError(const char* reason) override;

    // Greets the page: identity, parameters, presets, CC map, runtime health, host and preset state.
    void sendHello();

    // One tick of the diagnostic cadence: a hosted bank download that has ended goes on, then a
    // transport poll to the processor and a feed drain (which brings the processor's bank replies).
    void tickCadence();

    // --- operations the bridge and bank control build on ---
    void sendToUi(const std::string& text) { page.sendToPage(text); }
    void sendParamChanged(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue normalized);
    void applyFactoryPreset(uint32_t index);
    bool presetDirty() const;
    void refreshPresetState();
    void adoptCcMap(const CcMap& map, bool notifyPage);
    // Forgets the CC map (a restored state had none); the processor restores its own state.
    void dropCcMap();
    void sendCcMapToProcessor();
    void sendPresetLoadedToProcessor(const std::string& text);
    void sendResetCounters();
    void pollTransport();
    void drainProcessorFeeds();
    void startCadenceClock();
    void stopCadenceClock();

    // Records a lifecycle event (no detail) and returns it for detail fields; publish it afterwards.
    DiagnosticLifecycleEvent& recordLifecycle(DiagnosticLifecycleKind kind, int64_t atFrame = -1);
    // Records an event without detail and publishes it at once.
    void emitLifecycle(DiagnosticLifecycleKind kind, int64_t atFrame = -1);
    void publishLastLifecycle();
    void replayLifecycle();

    void adoptHostFacts(const HostFacts& facts);
    void adoptTransportFact(const TransportFact& fact);
    // A "vanto.diag.signal" payload: meter records for the page's "meters" and "scope" feeds.
    void adoptSignal(const void* bytes, Steinberg::uint32 size);
    // The page's subscription changed: pending meter records are forgotten, and the processor is told
    // which signal feeds to gather when that changed.
    void restartSignalFeeds();

    // The tempo the effect follows (vanto_controller_tempo.cpp).
    EffectiveTempoFacts currentTempoFacts() const;

    // Read access for the editor bridge and tests.
    const HostFacts& hostFactsView() const { return hostFacts.facts(); }
    const PresetStateFacts& presetStateView() const { return presetState; }
    const DiagnosticSubscription& subscriptionView() const { return subscription; }
    const DiagnosticLifecycleLog& lifecycleView() const { return lifecycleLog; }
    const std::string& runtimeHealthReport() const { return runtimeHealth; }
    bool hasCcMap() const { return ccMapAdopted; }
    const CcMap& ccMapView() const { return ccMap; }
    const SamplerPadOverrides& padOverrides() const { return bankControl.padOverrides(); }
    bool cadenceClockRunning() const { return cadenceClock != nullptr; }

    // The current normalized and plain value of table parameter `index` (0 outside the table).
    double normalizedValue(uint32_t index) const;
    double currentPlainValue(uint32_t index) const;

  private:
    // Bank control's way into the controller.
    class BankBridge final : public BankControlHost {
      public:
        explicit BankBridge(VantoController& controller) : controller(controller) {}
        void sendBankJson(const std::string& json) override;
        void editParam(uint32_t id, double plain) override;
        double readParam(uint32_t id) override;
        bool requestRuntimeBank(const std::string& source, const std::string& path, const std::string& sha256,
                                const std::string& instrument) override;
        bool applyPadOverrides(const SamplerPadOverrides& overrides) override;
        bool pickFolder(std::string& path, std::string& error) override;
        void notePresetSelected(const std::string& id, const std::string& name) override;

      private:
        VantoController& controller;
    };

    // initialize's steps.
    void captureHostIdentity(Steinberg::FUnknown* context);
    void registerParameters();
    void registerFactoryProgramList();

    // A table parameter edit the host should record: begin, set, tell the page, perform, end.
    void editAsUser(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue normalized);
    // The base class's setParamNormalized followed by the echo-guard rule for the page.
    void setFromHostAndRelay(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue normalized);
    void setPresetIdentity(const char* id, const char* name);
    void restartIfHandled(Steinberg::int32 flags);
    void restoreCcMapAndPads(const StateChunk& state);
    // The current preset and program a controller state names: the baseline and the program-change
    // parameter follow the program, without the preset's values being applied again. A state without
    // one leaves no current preset, as in a fresh instance.
    void restoreCurrentPreset(const StateChunk& state);
    void clearCurrentPreset();
    void adoptBaselineProgram(uint32_t index);
    // The full state document of the current values, CC map and pad overrides, for the page.
    std::string writeCurrentStateJson() const;

    // Processor messages. A payload the message means nothing without is required: when it cannot
    // be attached, nothing is sent. True when the host accepted the message.
    bool sendBinaryToProcessor(const char* id, const std::string& payload, bool payloadRequired);
    void sendBareMessage(const char* id);
    void sendTransportPoll(bool reset);

    // notify's handlers, one per processor message.
    void adoptRuntimeDiagnostics(const void* bytes, Steinberg::uint32 size);
    void adoptProcessorLifecycle(const void* bytes, Steinberg::uint32 size);
    // The controllers the processor saw, as "vanto.midiCc" messages while the page subscribes to
    // "midiIn". A payload that is not whole records of valid controllers is ignored.
    void relayMidiActivity(const void* bytes, Steinberg::uint32 size);

    // --- page bridge (see the bridge files) ---
    void updateSubscription(const BridgeMessage& message);
    void selectFactoryPreset(const std::string& id);
    void applyParamFromPage(const BridgeMessage& message);
    void sendStateToPage();
    void applyStateFromPage(const BridgeMessage& message, std::size_t messageBytes);

    static void cadenceTick(void* controller);

    // Tempo: the host's tempo from a transport fact; a changed "sync.bpm" or "sync.source"; the page
    // told of a changed effective tempo.
    void adoptHostTempo(const TransportFact& fact);
    void noteTempoParameter(uint32_t id);
    void publishTempoIfChanged();

    BankBridge bankBridge{*this};
    BankControl bankControl{bankBridge};
    BridgeSinkPage page;
    UiEchoGuard echoGuard;
    CcMap ccMap;
    bool ccMapAdopted = false;
    std::string runtimeHealth; // the processor's latest report, at most 65,536 bytes
    ControllerHostFacts hostFacts;
    bool helloSent = false;
    PresetStateFacts presetState;
    double presetBaseline[VANTO_PARAM_COUNT] = {};
    bool presetBaselineValid = false;
    int32_t baselineProgram = -1; // the factory preset the baseline holds, -1 before the first
    DiagnosticSubscription subscription;
    DiagnosticLifecycleLog lifecycleLog;
    DiagnosticTransportFeed transportFeed;
    DiagnosticMeterFeed meterFeed;
    double hostTempo = 0;          // the host's tempo from the newest transport fact; 0: none
    EffectiveTempoFacts pageTempo; // what the page was last told
    CadenceClock* cadenceClock = nullptr;
};

} // namespace vanto
