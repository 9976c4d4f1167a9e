#include "controller_fixture.h"

#include "pluginterfaces/base/ustring.h"

#include <cstdio>
#include <cstring>

namespace vanto::test {

using Steinberg::FUnknown;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::uint32;
using Steinberg::Vst::IAttributeList;
using Steinberg::Vst::IMessage;

tresult PLUGIN_API ProcessorStandIn::notify(IMessage* message) {
    SentMessage sent;
    sent.id = message->getMessageID() != nullptr ? message->getMessageID() : "";
    if (IAttributeList* attributes = message->getAttributes()) {
        const void* data = nullptr;
        uint32 size = 0;
        if (attributes->getBinary("json", data, size) == kResultOk) {
            sent.payload = std::string(static_cast<const char*>(data), size);
        }
        Steinberg::int64 reset = 0;
        if (attributes->getInt("reset", reset) == kResultOk) {
            sent.reset = reset;
        }
    }
    messages.push_back(std::move(sent));
    return kResultOk;
}

tresult PLUGIN_API ProcessorStandIn::queryInterface(const Steinberg::TUID iid, void** obj) {
    QUERY_INTERFACE(iid, obj, FUnknown::iid, IConnectionPoint)
    QUERY_INTERFACE(iid, obj, IConnectionPoint::iid, IConnectionPoint)
    *obj = nullptr;
    return Steinberg::kNoInterface;
}

std::vector<std::string> ProcessorStandIn::ids() const {
    std::vector<std::string> result;
    for (const SentMessage& message : messages) {
        result.push_back(message.id);
    }
    return result;
}

std::vector<SentMessage> ProcessorStandIn::withId(const std::string& id) const {
    std::vector<SentMessage> result;
    for (const SentMessage& message : messages) {
        if (message.id == id) {
            result.push_back(message);
        }
    }
    return result;
}

tresult PLUGIN_API RecordingHandler::beginEdit(Steinberg::Vst::ParamID id) {
    calls.push_back("begin " + std::to_string(id));
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::performEdit(Steinberg::Vst::ParamID id,
                                                 Steinberg::Vst::ParamValue value) {
    char text[64];
    std::snprintf(text, sizeof text, "perform %u %.17g", id, value);
    calls.emplace_back(text);
    performed.emplace_back(id, value);
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::endEdit(Steinberg::Vst::ParamID id) {
    calls.push_back("end " + std::to_string(id));
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::restartComponent(Steinberg::int32 flags) {
    restarts.push_back(flags);
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::queryInterface(const Steinberg::TUID iid, void** obj) {
    QUERY_INTERFACE(iid, obj, FUnknown::iid, IComponentHandler)
    QUERY_INTERFACE(iid, obj, IComponentHandler::iid, IComponentHandler)
    *obj = nullptr;
    return Steinberg::kNoInterface;
}

ControllerUnderTest::ControllerUnderTest(std::string hostName, bool offersRunLoop)
    : host(std::move(hostName), offersRunLoop), controller(Steinberg::owned(new VantoController())) {
    controller->initialize(static_cast<Steinberg::Vst::IHostApplication*>(&host));
    controller->setComponentHandler(&handler);
    controller->connect(&processor);
}

ControllerUnderTest::~ControllerUnderTest() {
    controller->setBridgeSink({});
    controller->disconnect(&processor);
    if (!terminated) {
        controller->terminate();
    }
}

void ControllerUnderTest::openPage() {
    controller->setBridgeSink([this](const std::string& message) { page.push_back(message); });
}

std::vector<std::string> ControllerUnderTest::pageMessages(const std::string& type) const {
    std::vector<std::string> found;
    for (const std::string& message : page) {
        if (messageType(message) == type) {
            found.push_back(message);
        }
    }
    return found;
}

tresult ControllerUnderTest::deliver(const char* id, const std::optional<std::string>& payload) {
    IMessage* message = nullptr;
    Steinberg::TUID messageCid;
    std::memcpy(messageCid, IMessage::iid, sizeof messageCid);
    Steinberg::TUID messageIid;
    std::memcpy(messageIid, IMessage::iid, sizeof messageIid);
    if (host.createInstance(messageCid, messageIid, reinterpret_cast<void**>(&message)) != kResultOk) {
        return kResultFalse;
    }
    message->setMessageID(id);
    if (payload) {
        message->getAttributes()->setBinary("json", payload->data(), static_cast<uint32>(payload->size()));
    }
    const tresult result = controller->notify(message);
    message->release();
    return result;
}

std::string messageType(const std::string& message) {
    const std::string key = "{\"type\":\"";
    if (message.rfind(key, 0) != 0) {
        return {};
    }
    const std::size_t end = message.find('"', key.size());
    return end == std::string::npos ? std::string() : message.substr(key.size(), end - key.size());
}

} // namespace vanto::test
