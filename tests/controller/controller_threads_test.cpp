// Hosts that scan or open several instances at once create processor and controller pairs from
// different threads. Each pair lives on its own thread here, made by the built bundle's factory and
// driven as a host drives it; the module's shared pieces (factory, SDK singletons, kernel runtime)
// must stand the concurrency. Each pair has its own host context.
#include "fake_host.h"

#include "kernel/param_table.h"

#include "module.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using Steinberg::FUnknownPtr;
using Steinberg::IPtr;
using Steinberg::kResultOk;
using Steinberg::Vst::IComponent;
using Steinberg::Vst::IConnectionPoint;
using Steinberg::Vst::IEditController;

constexpr Steinberg::Vst::ParamID kProgramChange = 0x3F010001;

template <typename Interface>
IPtr<Interface> create(Steinberg::IPluginFactory& factory, const Steinberg::TUID cid) {
    Interface* object = nullptr;
    if (factory.createInstance(cid, Interface::iid, reinterpret_cast<void**>(&object)) != kResultOk) {
        return nullptr;
    }
    return Steinberg::owned(object);
}

IPtr<Steinberg::MemoryStream> rewound(IPtr<Steinberg::MemoryStream> stream) {
    stream->seek(0, Steinberg::IBStream::kIBSeekSet, nullptr);
    return stream;
}

// One pair through its life: made and connected, activated, a preset chosen on the controller, the
// component's state handed back to both parts, the controller's own state round trip, and taken
// down. Returns a description of the first fault, or empty.
std::string exerciseOnePair(Steinberg::IPluginFactory& factory, const Steinberg::TUID processorCid,
                            uint32_t preset) {
    vanto::test::FakeHost host("Thread Host");
    FUnknownPtr<Steinberg::Vst::IHostApplication> context(
        static_cast<Steinberg::Vst::IHostApplication*>(&host));
    auto component = create<IComponent>(factory, processorCid);
    if (!component || component->initialize(context) != kResultOk) {
        return "no component";
    }
    Steinberg::TUID controllerCid;
    auto controller = component->getControllerClassId(controllerCid) == kResultOk
                          ? create<IEditController>(factory, controllerCid)
                          : nullptr;
    if (!controller || controller->initialize(context) != kResultOk) {
        return "no controller";
    }
    FUnknownPtr<IConnectionPoint> componentPoint(component);
    FUnknownPtr<IConnectionPoint> controllerPoint(controller);
    componentPoint->connect(controllerPoint);
    controllerPoint->connect(componentPoint);

    std::string fault;
    FUnknownPtr<Steinberg::Vst::IAudioProcessor> processor(component);
    Steinberg::Vst::ProcessSetup setup{Steinberg::Vst::kRealtime, Steinberg::Vst::kSample32, 256, 48000.0};
    if (processor->setupProcessing(setup) != kResultOk || component->setActive(true) != kResultOk) {
        fault = "activation refused";
    }
    if (fault.empty() && controller->setParamNormalized(kProgramChange, preset / 7.0) != kResultOk) {
        fault = "program change refused";
    }
    for (uint32_t id = 0; fault.empty() && id < VANTO_PARAM_COUNT; ++id) {
        if (controller->getParamNormalized(id) != VANTO_FACTORY_PRESETS[preset].values[id]) {
            fault = "preset value " + std::to_string(id) + " missing";
        }
    }
    auto state = Steinberg::owned(new Steinberg::MemoryStream());
    if (fault.empty() &&
        (component->getState(state) != kResultOk || component->setState(rewound(state)) != kResultOk ||
         controller->setComponentState(rewound(state)) != kResultOk)) {
        fault = "component state round trip failed";
    }
    auto own = Steinberg::owned(new Steinberg::MemoryStream());
    if (fault.empty() &&
        (controller->getState(own) != kResultOk || controller->setState(rewound(own)) != kResultOk)) {
        fault = "controller state round trip failed";
    }
    component->setActive(false);
    controllerPoint->disconnect(componentPoint);
    componentPoint->disconnect(controllerPoint);
    controller->terminate();
    component->terminate();
    return fault;
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
                faults[thread] =
                    exerciseOnePair(*module->factory(), cid, static_cast<uint32_t>((thread + pair) % 8));
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
