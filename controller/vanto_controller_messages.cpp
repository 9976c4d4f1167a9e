// Messages to the processor. Each is allocated, given its id and attribute, sent through the host's
// connection and released; before the host connects the two parts nothing goes out.
#include "controller/vanto_controller.h"

#include "sdk/host_call_failure.h"

#include "ccmap/cc_map_json_writer.h"
#include "processor/processor_message_ids.h"

#include "pluginterfaces/vst/ivstmessage.h"

namespace vanto {

using Steinberg::IPtr;
using Steinberg::kResultOk;
using Steinberg::owned;
using Steinberg::Vst::IAttributeList;
using Steinberg::Vst::IMessage;

bool VantoController::sendBinaryToProcessor(const char* id, const std::string& payload,
                                            bool payloadRequired) {
    IPtr<IMessage> message = owned(allocateMessage());
    if (!message) {
        return false;
    }
    message->setMessageID(id);
    IAttributeList* attributes = message->getAttributes();
    if (attributes != nullptr) {
        attributes->setBinary(kMessagePayloadAttribute, payload.data(),
                              static_cast<Steinberg::uint32>(payload.size()));
    } else if (payloadRequired) {
        return false;
    }
    return sendMessage(message) == kResultOk;
}

void VantoController::sendBareMessage(const char* id) {
    IPtr<IMessage> message = owned(allocateMessage());
    if (!message) {
        return;
    }
    message->setMessageID(id);
    sendMessage(message);
}

void VantoController::sendTransportPoll(bool reset) {
    IPtr<IMessage> message = owned(allocateMessage());
    if (!message) {
        return;
    }
    message->setMessageID(kMessageTransportPoll);
    if (IAttributeList* attributes = message->getAttributes()) {
        attributes->setInt(kMessageResetAttribute, reset ? 1 : 0);
    }
    sendMessage(message);
}

void VantoController::sendCcMapToProcessor() {
    std::string json;
    writeCcMapJson(json, ccMap);
    sendBinaryToProcessor(kMessageCcMap, json, true);
}

void VantoController::sendPresetLoadedToProcessor(const std::string& text) {
    sendBinaryToProcessor(kMessagePresetLoaded, text, false);
}

void VantoController::sendResetCounters() {
    sendBareMessage(kMessageResetCounters);
}

void VantoController::pollTransport() {
    sendTransportPoll(transportFeed.takeResetRequest());
}

void VantoController::drainProcessorFeeds() {
    sendBareMessage(kMessageFeedDrain);
}

void VantoController::tickCadence() try {
    bankControl.collectFinishedFetch();
    pollTransport();
    drainProcessorFeeds();
} catch (...) {
    hostCallFailed("tickCadence");
}

} // namespace vanto
