// Messages from the edit controller.
#include "processor/vanto_processor.h"

#include "banks/runtime_bank_reply.h"
#include "banks/sampler_pad_overrides.h"
#include "ccmap/cc_map_json_reader.h"
#include "processor/processor_message_ids.h"
#include "processor/runtime_bank_request.h"
#include "sdk/host_call_failure.h"

#include <cstring>
#include <optional>

namespace vanto {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// The payload of a message; false when it has no attribute list or no readable payload.
bool readPayload(IMessage& message, const char*& bytes, uint32& size) {
    IAttributeList* attributes = message.getAttributes();
    const void* data = nullptr;
    if (attributes == nullptr || attributes->getBinary(kMessagePayloadAttribute, data, size) != kResultOk ||
        data == nullptr) {
        return false;
    }
    bytes = static_cast<const char*>(data);
    return true;
}

bool isMessage(const char* id, const char* expected) {
    return std::strcmp(id, expected) == 0;
}

} // namespace

tresult PLUGIN_API VantoProcessor::notify(IMessage* message) try {
    const char* id = message != nullptr ? message->getMessageID() : nullptr;
    if (id == nullptr) {
        return ComponentBase::notify(message);
    }
    if (isMessage(id, kMessageTransportPoll)) {
        adoptTransportPoll(*message);
        return kResultOk;
    }
    // Counter resets concern feeds this effect does not capture; the selected bank preset would only be
    // saved with a bank this effect's engine never keeps.
    if (isMessage(id, kMessageResetCounters) || isMessage(id, kMessagePresetLoaded)) {
        return kResultOk;
    }
    // The controller's cadence drains the feeds on the main thread, where bank answers go out.
    if (isMessage(id, kMessageFeedDrain)) {
        answerReadBankRequest();
        drainSignalFeedsToController();
        sendMidiActivity();
        return kResultOk;
    }
    if (isMessage(id, kMessageSignalFeeds)) {
        adoptSignalFeedsMessage(*message);
        return kResultOk;
    }
    if (isMessage(id, kMessageLoadRuntimeBank)) {
        queueRuntimeBankRequest(*message);
        return kResultOk;
    }
    if (isMessage(id, kMessagePadOverrides)) {
        adoptPadOverridesMessage(*message);
        return kResultOk;
    }
    if (isMessage(id, kMessageStageResourceSlot)) {
        return kResultFalse;
    }
    if (isMessage(id, kMessageCcMap)) {
        adoptCcMapMessage(*message);
        return kResultOk;
    }
    // The SDK's own handler reads the attribute list of its text message without checking it.
    if (message->getAttributes() == nullptr) {
        return kResultFalse;
    }
    return ComponentBase::notify(message);
} catch (...) {
    return hostCallFailed("notify");
}

void VantoProcessor::adoptCcMapMessage(IMessage& message) {
    const char* bytes = nullptr;
    uint32 size = 0;
    CcMap received;
    if (readPayload(message, bytes, size) && parseCcMapJson(bytes, size, received)) {
        adoptCcMap(received, true);
    }
}

void VantoProcessor::adoptPadOverridesMessage(IMessage& message) {
    const char* bytes = nullptr;
    uint32 size = 0;
    SamplerPadOverrides received;
    if (readPayload(message, bytes, size) && parseSamplerPadOverridesJson(bytes, size, received)) {
        engine.publishSamplerPadOverrides(received);
    }
}

// Every readable request gets exactly one reply, whatever the outcome: once its pack has been read
// (answerReadBankRequest), or at once when too many requests are waiting. Replies keep request order
// as long as the controller leaves fewer than that unanswered, which it does.
void VantoProcessor::queueRuntimeBankRequest(IMessage& message) {
    const char* bytes = nullptr;
    uint32 size = 0;
    if (!readPayload(message, bytes, size)) {
        return;
    }
    if (!bankRequests.push(parseRuntimeBankRequest(std::string_view(bytes, size)))) {
        sendRuntimeBankReply("bank-busy", "too many bank requests are waiting");
    }
}

void VantoProcessor::answerReadBankRequest() {
    std::optional<RuntimeBankRequestQueue::Answer> answer = bankRequests.takeAnswered();
    if (!answer) {
        return;
    }
    std::string error;
    const RuntimeBankOutcome outcome = concludeRuntimeBankLoad(answer->load, answer->request.source, error);
    sendRuntimeBankReply(runtimeBankOutcomeName(outcome), error);
}

void VantoProcessor::sendRuntimeBankReply(const char* outcomeName, const std::string& message) {
    const std::string reply = encodeRuntimeBankReply(outcomeName, message, nullptr);
    sendBinaryMessage(kMessageRuntimeBankResult, reply.data(), reply.size());
}

} // namespace vanto
