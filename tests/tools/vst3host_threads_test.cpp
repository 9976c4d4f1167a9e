// Instances made, run and destroyed on several threads at once, as a DAW loading a project does.
// Exercises the reference counts and singletons shared by all instances of a module.
#include "gain_fixture/gain_fixture_ids.h"
#include "module.h"
#include "plugin_instance.h"
#include "process_block.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace Steinberg;
using vanto::host::Module;
using vanto::host::PluginInstance;
using vanto::host::ProcessBlock;

TEST(HostThreads, InstancesOnSeveralThreadsAtOnce) {
    std::string error;
    const auto module = Module::load(GAIN_FIXTURE_BUNDLE_PATH, error);
    ASSERT_NE(module, nullptr) << error;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread)
        threads.emplace_back([&] {
            for (int round = 0; round < 20; ++round) {
                std::string reason;
                auto instance =
                    PluginInstance::create(module, vanto::test::kGainFixtureProcessorUid.toTUID(), reason);
                if (instance == nullptr || instance->start(48000.0, 32) != kResultOk) {
                    ++failures;
                    continue;
                }
                ProcessBlock block({2}, {2}, 32);
                block.inputParameterChanges().add(vanto::test::kGainParam, 0, 0.5);
                block.input(0, 0)[0] = 1.0f;
                if (instance->process(block.prepare(32)) != kResultOk || block.output(0, 0)[0] != 0.5f)
                    ++failures;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
}

} // namespace
