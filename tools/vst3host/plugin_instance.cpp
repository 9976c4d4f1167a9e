#include "plugin_instance.h"

#include "host_application.h"

#include "public.sdk/source/common/memorystream.h"

namespace vanto::host {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// A stream reading the given bytes; the plug-in never writes to a stream it restores from.
IPtr<MemoryStream> readingStream(const std::vector<char>& bytes) {
    return owned(new MemoryStream(const_cast<char*>(bytes.data()), static_cast<TSize>(bytes.size())));
}

tresult writeInto(std::vector<char>& bytes, const auto& write) {
    auto stream = owned(new MemoryStream);
    const tresult result = write(stream.get());
    if (result == kResultOk)
        bytes.assign(stream->getData(), stream->getData() + stream->getSize());
    return result;
}

template <typename Interface> IPtr<Interface> createFromFactory(IPluginFactory& factory, const TUID cid) {
    void* object = nullptr;
    if (factory.createInstance(cid, Interface::iid, &object) != kResultOk || object == nullptr)
        return nullptr;
    return owned(static_cast<Interface*>(object));
}

} // namespace

PluginInstance::PluginInstance(std::shared_ptr<Module> module)
    : module(std::move(module)), hostContext(std::make_unique<host::HostApplication>()) {}

std::unique_ptr<PluginInstance> PluginInstance::create(std::shared_ptr<Module> module, const TUID cid,
                                                       std::string& error) {
    std::unique_ptr<PluginInstance> instance(new PluginInstance(std::move(module)));
    instance->componentPart = createFromFactory<IComponent>(*instance->module->factory(), cid);
    if (!instance->componentPart) {
        error = "the factory cannot make a component of that class";
        return nullptr;
    }
    if (instance->componentPart->initialize(instance->hostContext.get()) != kResultOk) {
        error = "the component refused to initialise";
        return nullptr;
    }
    instance->componentInitialized = true;
    instance->processorPart = FUnknownPtr<IAudioProcessor>(instance->componentPart);
    if (!instance->processorPart) {
        error = "the component is not an audio processor";
        return nullptr;
    }
    if (!instance->makeController(error))
        return nullptr;
    instance->connectParts();
    instance->syncControllerWithComponent();
    return instance;
}

bool PluginInstance::makeController(std::string& error) {
    TUID controllerCid;
    if (componentPart->getControllerClassId(controllerCid) != kResultTrue) {
        controllerPart = FUnknownPtr<IEditController>(componentPart);
        controllerIsComponent = bool(controllerPart);
        return true;
    }
    controllerPart = createFromFactory<IEditController>(*module->factory(), controllerCid);
    if (!controllerPart) {
        error = "the factory cannot make the component's controller";
        return false;
    }
    if (controllerPart->initialize(hostContext.get()) != kResultOk) {
        controllerPart = nullptr;
        error = "the controller refused to initialise";
        return false;
    }
    controllerInitialized = true;
    return true;
}

void PluginInstance::connectParts() {
    if (!controllerPart || controllerIsComponent)
        return;
    FUnknownPtr<IConnectionPoint> fromComponent(componentPart);
    FUnknownPtr<IConnectionPoint> fromController(controllerPart);
    if (!fromComponent || !fromController)
        return;
    componentConnection = fromComponent;
    controllerConnection = fromController;
    componentConnection->connect(controllerConnection);
    controllerConnection->connect(componentConnection);
}

void PluginInstance::syncControllerWithComponent() {
    if (!controllerPart || controllerIsComponent)
        return;
    std::vector<char> state;
    if (saveState(state) == kResultOk)
        controllerPart->setComponentState(readingStream(state));
}

PluginInstance::~PluginInstance() {
    if (processing)
        processorPart->setProcessing(false);
    if (active)
        componentPart->setActive(false);
    if (componentConnection) {
        componentConnection->disconnect(controllerConnection);
        controllerConnection->disconnect(componentConnection);
    }
    if (controllerInitialized)
        controllerPart->terminate();
    if (componentInitialized)
        componentPart->terminate();
}

tresult PluginInstance::setupProcessing(double sampleRate, int32 maxSamplesPerBlock, int32 sampleSize,
                                        int32 processMode) {
    ProcessSetup setup{processMode, sampleSize, maxSamplesPerBlock, sampleRate};
    return processorPart->setupProcessing(setup);
}

tresult PluginInstance::setActive(bool state) {
    const tresult result = componentPart->setActive(state);
    if (result == kResultOk)
        active = state;
    return result;
}

tresult PluginInstance::setProcessing(bool state) {
    const tresult result = processorPart->setProcessing(state);
    if (result == kResultOk)
        processing = state;
    return result;
}

tresult PluginInstance::process(ProcessData& data) {
    return processorPart->process(data);
}

tresult PluginInstance::start(double sampleRate, int32 maxSamplesPerBlock) {
    tresult result = setupProcessing(sampleRate, maxSamplesPerBlock);
    if (result == kResultOk)
        result = setActive(true);
    if (result == kResultOk)
        result = setProcessing(true);
    return result;
}

tresult PluginInstance::saveState(std::vector<char>& state) const {
    return writeInto(state, [&](IBStream* stream) { return componentPart->getState(stream); });
}

tresult PluginInstance::restoreState(const std::vector<char>& state) {
    const tresult result = componentPart->setState(readingStream(state));
    if (result == kResultOk && controllerPart && !controllerIsComponent)
        controllerPart->setComponentState(readingStream(state));
    return result;
}

tresult PluginInstance::saveControllerState(std::vector<char>& state) const {
    if (!controllerPart)
        return kNotImplemented;
    return writeInto(state, [&](IBStream* stream) { return controllerPart->getState(stream); });
}

tresult PluginInstance::restoreControllerState(const std::vector<char>& state) {
    if (!controllerPart)
        return kNotImplemented;
    return controllerPart->setState(readingStream(state));
}

} // namespace vanto::host
