// The messages the controller itself writes for the editor page: the greeting with everything the
// page draws itself from, a parameter change, and the exported state.
#pragma once

#include "ccmap/cc_map.h"
#include "controller/effective_tempo_json.h"
#include "diagnostics/host_facts.h"
#include "diagnostics/identity_json.h"
#include "diagnostics/preset_state_facts.h"

#include <string>
#include <string_view>

namespace vanto {

// What the greeting is written from. Pointers are the caller's and must outlive the call.
struct HelloInputs {
    const double* normalized = nullptr; // VANTO_PARAM_COUNT current normalized values, in id order
    const CcMap* ccMap = nullptr;       // null while no map has been adopted
    std::string_view runtimeHealth;     // the processor's latest report; empty while none arrived
    const HostFacts* host = nullptr;
    const PresetStateFacts* presetState = nullptr;
    const EffectiveTempoFacts* tempo = nullptr; // null: no "tempo" member
    DiagnosticUiBuild ui;                       // the shipped page's manifest facts
};

// {"type":"vanto.hello","plugin":{…},"params":[…],"factoryPresets":[…][,"ccMap":…][,"runtimeHealth":…],
// "identity":…[,"host":…],"diagnostics":…,"presetState":…[,"tempo":…]}. The runtime health report is embedded
// verbatim.
void writeHelloJson(std::string& out, const HelloInputs& inputs);

// {"type":"vanto.paramChanged","path":…,"value":<plain>,"normalized":<normalized>}
void writeParamChangedJson(std::string& out, const char* path, double plain, double normalized);

// {"type":"vanto.state","state":<state document>}, the document embedded verbatim.
void writeStateMessageJson(std::string& out, std::string_view stateDocument);

} // namespace vanto
