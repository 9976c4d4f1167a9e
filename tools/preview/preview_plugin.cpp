#include "preview_plugin.h"

#include "kernel/param_table.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace vanto::preview {

using namespace Steinberg;
using namespace Steinberg::Vst;

tresult PLUGIN_API HostEditHandler::performEdit(ParamID id, ParamValue value) {
    return toProcessor.push({id, value}) ? kResultOk : kResultFalse;
}

tresult PLUGIN_API HostEditHandler::queryInterface(const TUID iid, void** object) {
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
        FUnknownPrivate::iidEqual(iid, IComponentHandler::iid)) {
        *object = this;
        return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
}

std::unique_ptr<PreviewPlugin> PreviewPlugin::start(const std::string& bundlePath, PreviewSignal signal,
                                                    WakeSignal& wake, std::string& error) {
    std::shared_ptr<host::Module> module = host::Module::load(bundlePath, error);
    if (!module) {
        return nullptr;
    }
    const auto effect = module->findClass(kVstAudioEffectClass);
    if (!effect) {
        error = bundlePath + " holds no audio effect";
        return nullptr;
    }
    std::unique_ptr<PreviewPlugin> plugin(new PreviewPlugin());
    if (!findBridgeFunctions(module->libraryHandle(), plugin->bridge, error)) {
        return nullptr;
    }
    plugin->instance =
        host::PluginInstance::create(module, reinterpret_cast<const char*>(effect->cid.data()), error);
    if (!plugin->instance) {
        return nullptr;
    }
    if (plugin->instance->controller() == nullptr) {
        error = bundlePath + " has no edit controller";
        return nullptr;
    }
    plugin->instance->controller()->setComponentHandler(&plugin->handler);
    if (plugin->instance->start(signal.sampleRate, kBlockFrames) != kResultOk) {
        error = "the processor refused to start at " + std::to_string(signal.sampleRate) + " Hz";
        return nullptr;
    }
    plugin->audio = std::make_unique<PreviewAudio>(
        *plugin->instance->processor(), std::move(signal.audio), signal.sampleRate, kBlockFrames,
        HostTransport(signal.sampleRate, signal.transportStepSeconds), plugin->toProcessor, plugin->taken,
        wake);
    plugin->audio->start();
    return plugin;
}

PreviewPlugin::~PreviewPlugin() {
    if (audio) {
        audio->stop();
    }
    if (instance && instance->controller() != nullptr) {
        bridge.installSink(instance->controller(), nullptr, nullptr);
        instance->controller()->setComponentHandler(nullptr);
    }
}

void PreviewPlugin::installSink(BridgeCallback callback, void* context) {
    bridge.installSink(instance->controller(), callback, context);
}

void PreviewPlugin::deliver(const std::string& message) {
    bridge.deliver(instance->controller(), message.data(), message.size());
}

void PreviewPlugin::tickCadence() {
    bridge.tickCadence(instance->controller());
}

void PreviewPlugin::injectController(const InjectedController& message) {
    FUnknownPtr<IMidiMapping> mapping(instance->controller());
    ParamID id = 0;
    if (mapping &&
        mapping->getMidiControllerAssignment(0, static_cast<int16>(message.channel - 1),
                                             static_cast<CtrlNumber>(message.controller), id) == kResultOk) {
        toProcessor.push({id, message.value / 127.0});
    }
}

void PreviewPlugin::readBackTakenEdits() {
    while (const auto edit = taken.pop()) {
        // The program list's own parameter would load its preset again; only the table's are read back.
        if (edit->id < VANTO_PARAM_COUNT) {
            instance->controller()->setParamNormalized(edit->id, edit->value);
        }
    }
}

} // namespace vanto::preview
