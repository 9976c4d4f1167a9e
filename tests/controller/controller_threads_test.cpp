// Hosts that scan or open several instances at once create processor and controller pairs from
// different threads. Each pair lives on its own thread here; the module's shared pieces (factory,
// SDK singletons, kernel runtime) must stand the concurrency.
#include "kernel/param_table.h"

#include "module.h"
#include "plugin_instance.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using Steinberg::kResultOk;

constexpr Steinberg::Vst::ParamID kProgramChange = 0x3F010001;

// One instance through its life: a preset chosen on the controller, state saved from the component
// and handed back to both parts. Returns a description of the first fault, or empty.
std::string exerciseOnePair(const std::shared_ptr<vanto::host::Module>& module, const Steinberg::TUID cid,
                            uint32_t preset) {
    std::string error;
    auto instance = vanto::host::PluginInstance::create(module, cid, error);
    if (!instance || instance->controller() == nullptr) {
        return "no instance: " + error;
    }
    Steinberg::Vst::IEditController& controller = *instance->controller();
    if (controller.setParamNormalized(kProgramChange, preset / 7.0) != kResultOk) {
        return "program change refused";
    }
    for (uint32_t id = 0; id < VANTO_PARAM_COUNT; ++id) {
        if (controller.getParamNormalized(id) != VANTO_FACTORY_PRESETS[preset].values[id]) {
            return "preset value " + std::to_string(id) + " missing";
        }
    }
    std::vector<char> state;
    if (instance->saveState(state) != kResultOk || instance->restoreState(state) != kResultOk) {
        return "state round trip failed";
    }
    std::vector<char> own;
    if (instance->saveControllerState(own) != kResultOk ||
        instance->restoreControllerState(own) != kResultOk) {
        return "controller state round trip failed";
    }
    return {};
}

TEST(ControllerThreads, PairsMadeAndUsedOnSeveralThreadsAtOnce) {
    std::string error;
    const auto module = vanto::host::Module::load(DOVREL_BUNDLE_PATH, error);
    ASSERT_NE(module, nullptr) << error;
    const auto processorClass = module->findClass(kVstAudioEffectClass);
    ASSERT_TRUE(processorClass.has_value());
    const auto* cid = reinterpret_cast<const char*>(processorClass->cid.data());

    constexpr int kThreads = 4;
    constexpr int kPairsPerThread = 6;
    std::vector<std::string> faults(kThreads);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread) {
        threads.emplace_back([&, thread] {
            ++ready;
            while (ready.load() < kThreads) {
                std::this_thread::yield();
            }
            for (int pair = 0; pair < kPairsPerThread && faults[thread].empty(); ++pair) {
                faults[thread] = exerciseOnePair(module, cid, static_cast<uint32_t>((thread + pair) % 8));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int thread = 0; thread < kThreads; ++thread) {
        EXPECT_EQ(faults[thread], "") << "thread " << thread;
    }
}

} // namespace
