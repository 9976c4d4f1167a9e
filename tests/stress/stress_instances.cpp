// The many-instances scenario: a large session, or a host that prepares every plug-in when a project
// opens, making instances on four threads at once, more than the kernel pool holds.
#include "stress/stress_plugin.h"
#include "stress/stress_scenarios.h"

#include "process_block.h"

#include <barrier>
#include <cmath>
#include <thread>
#include <vector>

namespace vanto::stress {

using namespace Steinberg;

namespace {

constexpr int kThreads = 4;
constexpr int32 kMaxBlock = 1024;

void renderTwice(host::PluginInstance& instance, host::ProcessBlock& block, int32 frames, double& phase,
                 const Checks& check) {
    for (int repeat = 0; repeat < 2; ++repeat) {
        for (int32 i = 0; i < frames; ++i) {
            block.input(0, 0)[static_cast<std::size_t>(i)] = static_cast<float>(0.3 * std::sin(phase));
            block.input(0, 1)[static_cast<std::size_t>(i)] = static_cast<float>(0.3 * std::cos(phase));
            phase += 0.03;
        }
        check(instance.process(block.prepare(frames)) == kResultOk, "every instance renders");
        check(cleanAudio(block.output(0, 0).data(), frames) && cleanAudio(block.output(0, 1).data(), frames),
              "every instance's output is finite and normal");
    }
}

} // namespace

void manyInstancesScenario(const Scenario& scenario, int count) {
    const Checks check{scenario.report, "many instances", scenario.seed};
    Random seeds(scenario.seed);
    std::barrier allMade(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        const int share = count / kThreads + (t < count % kThreads ? 1 : 0);
        threads.emplace_back([&, share, seed = seeds.seedForChild()] {
            Random random(seed);
            std::vector<std::unique_ptr<host::PluginInstance>> instances;
            std::vector<int32> blockSizes;
            host::ProcessBlock block({2}, {2}, kMaxBlock);
            double phase = 0.0;
            const auto guarded = [&](const auto& work) {
                try {
                    work();
                } catch (...) {
                    check(false, "an exception came out of the plug-in");
                }
            };
            guarded([&] {
                for (int i = 0; i < share; ++i) {
                    auto instance = makeInstance(scenario.module, check);
                    if (!instance) {
                        continue;
                    }
                    const int32 maxBlock = random.blockSize(kMaxBlock);
                    if (check(instance->start(random.sampleRate(), maxBlock) == kResultOk,
                              "the set-up is accepted")) {
                        renderTwice(*instance, block, random.integer(1, maxBlock), phase, check);
                        instances.push_back(std::move(instance));
                        blockSizes.push_back(maxBlock);
                    }
                }
            });
            // Every instance of the session lives at once before any goes.
            allMade.arrive_and_wait();
            guarded([&] {
                for (std::size_t i = 0; i < instances.size(); ++i) {
                    renderTwice(*instances[i], block, random.integer(1, blockSizes[i]), phase, check);
                    checkStatesRoundTrip(*instances[i], random, check);
                }
                instances.clear();
            });
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}

} // namespace vanto::stress
