#include "bundle_fixture.h"

#include "kernel/param_table.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace vanto::test {

using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::Vst::IComponentHandler;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;

std::shared_ptr<host::Module> loadedBundle() {
    static const std::shared_ptr<host::Module> loaded = [] {
        std::string error;
        auto module = host::Module::load(DOVREL_BUNDLE_PATH, error);
        if (!module) {
            ADD_FAILURE() << error;
        }
        return module;
    }();
    return loaded;
}

std::unique_ptr<host::PluginInstance> processorInstance() {
    const std::shared_ptr<host::Module> bundle = loadedBundle();
    if (bundle == nullptr) {
        return nullptr;
    }
    const auto processorClass = bundle->findClass(kVstAudioEffectClass);
    if (!processorClass.has_value()) {
        ADD_FAILURE() << "the bundle has no processor class";
        return nullptr;
    }
    std::string error;
    auto instance = host::PluginInstance::create(
        bundle, reinterpret_cast<const char*>(processorClass->cid.data()), error);
    if (instance == nullptr) {
        ADD_FAILURE() << error;
    }
    return instance;
}

namespace {

template <class Function> void findExport(Function& function, const char* name) {
    const std::shared_ptr<host::Module> bundle = loadedBundle();
    if (bundle != nullptr) {
        function = reinterpret_cast<Function>(dlsym(bundle->libraryHandle(), name));
    }
    if (function == nullptr) {
        ADD_FAILURE() << "the bundle exports no " << name;
    }
}

} // namespace

const BridgeExports& BridgeExports::found() {
    static const BridgeExports exports = [] {
        BridgeExports found;
        findExport(found.installSink, "vantoInstallDiagnosticBridgeSink");
        findExport(found.deliver, "vantoDeliverDiagnosticBridgeMessage");
        findExport(found.tick, "vantoTickDiagnosticCadence");
        return found;
    }();
    return exports;
}

std::vector<ParamValue> tableParamValues(Steinberg::Vst::IEditController& controller) {
    std::vector<ParamValue> values;
    for (ParamID id = 0; id < VANTO_PARAM_COUNT; ++id) {
        values.push_back(controller.getParamNormalized(id));
    }
    return values;
}

JsonValue parsedJson(const std::string& text) {
    JsonValue value;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    EXPECT_TRUE(parseJsonDocument(bytes, bytes + text.size(), value)) << text;
    return value;
}

tresult PLUGIN_API RecordingComponentHandler::beginEdit(ParamID id) {
    return record("begin " + std::to_string(id));
}

tresult PLUGIN_API RecordingComponentHandler::performEdit(ParamID id, ParamValue value) {
    performed.emplace_back(id, value);
    return record("perform " + std::to_string(id));
}

tresult PLUGIN_API RecordingComponentHandler::endEdit(ParamID id) {
    return record("end " + std::to_string(id));
}

tresult PLUGIN_API RecordingComponentHandler::restartComponent(Steinberg::int32 flags) {
    restartFlags.push_back(flags);
    return record("restart " + std::to_string(flags));
}

tresult PLUGIN_API RecordingComponentHandler::queryInterface(const Steinberg::TUID iid, void** obj) {
    if (Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::FUnknown::iid) ||
        Steinberg::FUnknownPrivate::iidEqual(iid, IComponentHandler::iid)) {
        *obj = this;
        return kResultOk;
    }
    *obj = nullptr;
    return Steinberg::kNoInterface;
}

tresult RecordingComponentHandler::record(std::string call) {
    calls.push_back(std::move(call));
    return kResultOk;
}

} // namespace vanto::test
