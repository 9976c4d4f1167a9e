#include "stress/stress_plugin.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <cmath>

namespace vanto::stress {

using Steinberg::kResultOk;

std::unique_ptr<host::PluginInstance> makeInstance(const std::shared_ptr<host::Module>& module,
                                                   const Checks& check) {
    const auto processorClass = module->findClass(kVstAudioEffectClass);
    std::string error = "the bundle lists no audio effect";
    auto instance = processorClass
                        ? host::PluginInstance::create(
                              module, reinterpret_cast<const char*>(processorClass->cid.data()), error)
                        : nullptr;
    check(instance != nullptr, "an instance is made: " + error);
    return instance;
}

bool cleanAudio(const float* samples, int frames) {
    for (int i = 0; i < frames; ++i) {
        const int kind = std::fpclassify(samples[i]);
        if (kind == FP_NAN || kind == FP_INFINITE || kind == FP_SUBNORMAL) {
            return false;
        }
    }
    return true;
}

uint64_t hashBytes(uint64_t hash, const void* bytes, std::size_t size) {
    const auto* data = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 1099511628211ull;
    }
    return hash;
}

std::vector<char> damagedState(Random& random, const std::vector<char>& state) {
    std::string text(state.begin(), state.end());
    const auto position = [&] {
        return static_cast<std::size_t>(random.integer(0, static_cast<int>(text.size())));
    };
    static const char* kWords[] = {"1e999", "-1e999", "nan", "null", "true",
                                   "-0",    "\"x\"",  "{}",  "[]",   "1e-320"};
    switch (random.integer(0, 4)) {
    case 0:
        text.resize(position());
        break;
    case 1:
        for (int i = random.integer(1, 4); i > 0 && !text.empty(); --i) {
            text[position() % text.size()] = static_cast<char>(random.integer(0, 255));
        }
        break;
    case 2:
        text.insert(position(), random.text(24));
        break;
    case 3: {
        // A value after some colon becomes one of the words.
        const std::size_t colon = text.find(':', position());
        if (colon != std::string::npos) {
            const std::size_t end = text.find_first_of(",}", colon);
            text.replace(colon + 1, end == std::string::npos ? 0 : end - colon - 1,
                         kWords[random.integer(0, static_cast<int>(std::size(kWords)) - 1)]);
        }
        break;
    }
    default:
        // The document's members once more, so every key is given twice.
        if (text.size() > 2) {
            const std::string members = text.substr(1, text.size() - 2);
            text.insert(text.size() - 1, 1, ',');
            text.insert(text.size() - 1, members);
        }
        break;
    }
    return std::vector<char>(text.begin(), text.end());
}

void checkStatesRoundTrip(host::PluginInstance& instance, Random& random, const Checks& check) {
    std::vector<char> component;
    std::vector<char> controller;
    check(instance.saveState(component) == kResultOk, "the component state is saved");
    check(instance.saveControllerState(controller) == kResultOk, "the controller state is saved");
    check(instance.restoreState(component) == kResultOk, "the component restores its own state");
    check(instance.restoreControllerState(controller) == kResultOk, "the controller restores its own state");
    std::vector<char> component2;
    std::vector<char> controller2;
    instance.saveState(component2);
    instance.saveControllerState(controller2);
    check(component2 == component, "the component state restores to the same bytes");
    check(controller2 == controller, "the controller state restores to the same bytes");

    if (instance.restoreState(damagedState(random, component)) == kResultOk) {
        std::vector<char> accepted;
        std::vector<char> again;
        instance.saveState(accepted);
        check(instance.restoreState(accepted) == kResultOk, "a state saved after a damaged one restores");
        instance.saveState(again);
        check(again == accepted, "a state saved after a damaged one restores to the same bytes");
    }
    instance.restoreControllerState(damagedState(random, controller));
}

} // namespace vanto::stress
