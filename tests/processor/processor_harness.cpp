#include "processor/processor_harness.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <stdexcept>

#ifdef __SANITIZE_ADDRESS__
// The SDK's host attribute list never frees the buffer of a zero-byte binary attribute, which the
// empty payloads of some messages are.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:Steinberg::Vst::HostAttribute::HostAttribute\n";
}
#endif

namespace vanto::test {

using namespace Steinberg;
using namespace Steinberg::Vst;

IMPLEMENT_FUNKNOWN_METHODS(MessageRecorder, IConnectionPoint, IConnectionPoint::iid)

MessageRecorder::MessageRecorder(){FUNKNOWN_CTOR}

tresult PLUGIN_API MessageRecorder::connect(IConnectionPoint*) {
    return kResultOk;
}

tresult PLUGIN_API MessageRecorder::disconnect(IConnectionPoint*) {
    return kResultOk;
}

tresult PLUGIN_API MessageRecorder::notify(IMessage* message) {
    ReceivedMessage received;
    received.id = message->getMessageID();
    const void* data = nullptr;
    uint32 size = 0;
    if (IAttributeList* attributes = message->getAttributes();
        attributes != nullptr && attributes->getBinary("json", data, size) == kResultOk) {
        received.payload = std::string(static_cast<const char*>(data), size);
    }
    messages.push_back(std::move(received));
    return kResultOk;
}

std::vector<ReceivedMessage> MessageRecorder::withId(const std::string& id) const {
    std::vector<ReceivedMessage> found;
    for (const ReceivedMessage& message : messages) {
        if (message.id == id) {
            found.push_back(message);
        }
    }
    return found;
}

std::shared_ptr<host::Module> ProcessorHarness::module() {
    static const std::shared_ptr<host::Module> loaded = [] {
        std::string error;
        auto bundle = host::Module::load(DOVREL_BUNDLE_PATH, error);
        if (!bundle) {
            throw std::runtime_error("cannot load the bundle: " + error);
        }
        return bundle;
    }();
    return loaded;
}

ProcessorHarness::ProcessorHarness()
    : bundle(module()), hostContext(std::make_unique<HostApplication>()),
      recorderPart(owned(new MessageRecorder)) {
    const auto processorClass = bundle->findClass(kVstAudioEffectClass);
    if (!processorClass) {
        throw std::runtime_error("the bundle lists no audio effect");
    }
    void* object = nullptr;
    if (bundle->factory()->createInstance(reinterpret_cast<const char*>(processorClass->cid.data()),
                                          IComponent::iid, &object) != kResultOk) {
        throw std::runtime_error("the factory cannot make the processor");
    }
    componentPart = owned(static_cast<IComponent*>(object));
    if (componentPart->initialize(hostContext.get()) != kResultOk) {
        throw std::runtime_error("the processor refused to initialise");
    }
    processorPart = FUnknownPtr<IAudioProcessor>(componentPart);
    componentConnection = FUnknownPtr<IConnectionPoint>(componentPart);
    if (!processorPart || !componentConnection) {
        throw std::runtime_error("the component lacks IAudioProcessor or IConnectionPoint");
    }
    componentConnection->connect(recorderPart);
}

ProcessorHarness::~ProcessorHarness() {
    if (active) {
        componentPart->setActive(false);
    }
    componentConnection->disconnect(recorderPart);
    componentPart->terminate();
}

tresult ProcessorHarness::setupProcessing(double sampleRate, int32 maxBlock, int32 sampleSize,
                                          int32 processMode) {
    ProcessSetup setup{processMode, sampleSize, maxBlock, sampleRate};
    return processorPart->setupProcessing(setup);
}

tresult ProcessorHarness::setActive(bool state) {
    const tresult result = componentPart->setActive(state);
    if (result == kResultOk) {
        active = state;
    }
    return result;
}

void ProcessorHarness::start(double sampleRate, int32 maxBlock) {
    ASSERT_EQ(setupProcessing(sampleRate, maxBlock), kResultOk);
    ASSERT_EQ(setActive(true), kResultOk);
    ASSERT_EQ(processorPart->setProcessing(true), kResultOk);
}

IPtr<IMessage> ProcessorHarness::makeMessage(const char* id) {
    void* object = nullptr;
    TUID messageIid;
    IMessage::iid.toTUID(messageIid);
    if (hostContext->createInstance(messageIid, messageIid, &object) != kResultOk) {
        throw std::runtime_error("the host context makes no messages");
    }
    IPtr<IMessage> message = owned(static_cast<IMessage*>(object));
    message->setMessageID(id);
    return message;
}

tresult ProcessorHarness::notify(const char* id, const std::optional<std::string>& payload) {
    IPtr<IMessage> message = makeMessage(id);
    if (payload) {
        message->getAttributes()->setBinary("json", payload->data(), static_cast<uint32>(payload->size()));
    }
    return deliver(message);
}

tresult ProcessorHarness::deliver(IMessage* message) {
    return componentConnection->notify(message);
}

std::string ProcessorHarness::saveState() {
    auto stream = owned(new MemoryStream);
    if (componentPart->getState(stream) != kResultOk) {
        return std::string();
    }
    return std::string(stream->getData(), static_cast<std::size_t>(stream->getSize()));
}

tresult ProcessorHarness::restoreState(const std::string& state) {
    auto stream = owned(new MemoryStream);
    int32 written = 0;
    stream->write(const_cast<char*>(state.data()), static_cast<int32>(state.size()), &written);
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    return componentPart->setState(stream);
}

} // namespace vanto::test
