// Saving and restoring the component state document.
#include "processor/vanto_processor.h"

#include "processor/state_chunk.h"
#include "processor/state_json_reader.h"
#include "processor/state_json_writer.h"
#include "processor/state_stream.h"
#include "sdk/host_call_failure.h"

namespace vanto {

using namespace Steinberg;

tresult PLUGIN_API VantoProcessor::getState(IBStream* state) try {
    if (state == nullptr) {
        return kResultFalse;
    }
    // Reports the audio thread left behind go to the controller before the host files the project.
    if (engine.hasPendingRuntimeDiagnostics()) {
        sendRuntimeDiagnostics(false);
    }
    double params[KernelEngine::kParamCount];
    for (uint32_t id = 0; id < KernelEngine::kParamCount; ++id) {
        params[id] = engine.paramValue(id);
    }
    const std::string text =
        writeStateJson(params, engine.variation(), hasCcMap ? &ccMap : nullptr, kSamplerAssetNone,
                       kZoneProgramLegacySingleZone, nullptr, nullptr, engine.samplerPadOverrides());
    return writeStateStream(*state, text);
} catch (...) {
    return hostCallFailed("getState");
}

tresult PLUGIN_API VantoProcessor::setState(IBStream* state) try {
    if (state == nullptr) {
        return kResultFalse;
    }
    std::string text;
    readStateStream(*state, text);
    StateChunk chunk;
    if (!parseStateJson(text.data(), text.size(), chunk)) {
        return kResultFalse;
    }
    for (uint32_t id = 0; id < KernelEngine::kParamCount; ++id) {
        if (chunk.paramPresent[id]) {
            engine.setParamValue(id, chunk.params[id]);
        }
    }
    if (chunk.variation >= 0) {
        engine.setVariation(chunk.variation);
    }
    // A state saved without a CC map had none, so no map of an earlier state stays.
    adoptCcMap(chunk.hasCcMap ? chunk.ccMap : CcMap{}, chunk.hasCcMap);
    // A state without a sampler block has no overrides, so whatever an earlier state or the editor set
    // is cleared.
    engine.publishSamplerPadOverrides(chunk.hasPadOverrides ? chunk.padOverrides : SamplerPadOverrides());
    restoreRuntimeBank(chunk);
    return kResultOk;
} catch (...) {
    return hostCallFailed("setState");
}

} // namespace vanto
