// Messages from the processor. Each known message carries its payload in the "json" byte block;
// a missing, unreadable or wrongly sized payload is ignored and the message still counts as handled.
#include "controller/vanto_controller.h"

#include "encoding/json_reader.h"

#include "diagnostics/host_facts.h"
#include "diagnostics/lifecycle_kind.h"
#include "diagnostics/transport_fact.h"
#include "processor/processor_message_ids.h"
#include "sdk/host_call_failure.h"

#include "pluginterfaces/vst/ivstmessage.h"

#include <cstring>

namespace vanto {

using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::uint32;
using Steinberg::Vst::IMessage;

namespace {

// Runtime health reports above this size are refused; the previous report stays.
constexpr uint32 kMaxRuntimeReportBytes = 65536;

enum class ProcessorMessage {
    runtimeBankResult,
    lifecycle,
    transport,
    signal,
    hostFacts,
    runtimeDiagnostics,
    midiIn
};

bool identifyProcessorMessage(const char* id, ProcessorMessage& kind) {
    static const struct {
        const char* id;
        ProcessorMessage kind;
    } known[] = {
        {kMessageRuntimeBankResult, ProcessorMessage::runtimeBankResult},
        {kMessageLifecycle, ProcessorMessage::lifecycle},
        {kMessageTransport, ProcessorMessage::transport},
        {kMessageSignal, ProcessorMessage::signal},
        {kMessageHostFacts, ProcessorMessage::hostFacts},
        {kMessageRuntimeDiagnostics, ProcessorMessage::runtimeDiagnostics},
        {kMessageMidiIn, ProcessorMessage::midiIn},
    };
    for (const auto& entry : known) {
        if (std::strcmp(id, entry.id) == 0) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

} // namespace

tresult PLUGIN_API VantoController::notify(IMessage* message) try {
    if (message == nullptr) {
        return Steinberg::kInvalidArgument;
    }
    const char* id = message->getMessageID();
    Steinberg::Vst::IAttributeList* attributes = message->getAttributes();
    ProcessorMessage kind{};
    if (id == nullptr || !identifyProcessorMessage(id, kind)) {
        // The SDK's own handler reads the attribute list of its text message without checking it.
        return attributes != nullptr ? EditControllerEx1::notify(message) : Steinberg::kResultFalse;
    }
    const void* bytes = nullptr;
    uint32 size = 0;
    if (attributes == nullptr || attributes->getBinary(kMessagePayloadAttribute, bytes, size) != kResultOk ||
        bytes == nullptr) {
        return kResultOk;
    }
    switch (kind) {
    case ProcessorMessage::runtimeBankResult:
        bankControl.adoptRuntimeBankReply(std::string(static_cast<const char*>(bytes), size));
        break;
    case ProcessorMessage::lifecycle:
        adoptProcessorLifecycle(bytes, size);
        break;
    case ProcessorMessage::transport: {
        TransportFact fact;
        if (readTransportFactBytes(bytes, size, fact)) {
            adoptTransportFact(fact);
        }
        break;
    }
    case ProcessorMessage::signal:
        adoptSignal(bytes, size);
        break;
    case ProcessorMessage::hostFacts: {
        HostFacts facts;
        if (readHostFactsBytes(bytes, size, facts)) {
            adoptHostFacts(facts);
        }
        break;
    }
    case ProcessorMessage::runtimeDiagnostics:
        adoptRuntimeDiagnostics(bytes, size);
        break;
    case ProcessorMessage::midiIn:
        relayMidiActivity(bytes, size);
        break;
    }
    return kResultOk;
} catch (...) {
    return hostCallFailed("notify");
}

void VantoController::adoptProcessorLifecycle(const void* bytes, uint32 size) {
    DiagnosticLifecycleKind kind{};
    if (diagnosticLifecycleKindFromPayload(bytes, size, kind)) {
        emitLifecycle(kind);
    }
}

// The report is embedded verbatim in page messages, which the web view hands to the page as script
// text: anything but one JSON object (damaged in transit, or not from our processor) could break out
// of the page's message call, so it is not taken.
void VantoController::adoptRuntimeDiagnostics(const void* bytes, uint32 size) {
    if (size == 0 || size > kMaxRuntimeReportBytes ||
        !isOneJsonObject(static_cast<const char*>(bytes), size)) {
        return;
    }
    runtimeHealth.assign(static_cast<const char*>(bytes), size);
    recordLifecycle(kLifecycleRuntimeDiagnostic).addNumber("reportBytes", size);
    publishLastLifecycle();
    if (page.pageConnected()) {
        sendToUi("{\"type\":\"vanto.runtimeDiagnostics\",\"report\":" + runtimeHealth + "}");
    }
}

} // namespace vanto
