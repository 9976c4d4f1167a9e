// The concurrent state scenario: a host's main thread saves and restores states (its own, damaged
// ones, the controller's) while its audio thread keeps processing the same instance.
#include "stress/stress_plugin.h"
#include "stress/stress_scenarios.h"

#include "process_block.h"

#include <atomic>
#include <thread>

namespace vanto::stress {

using namespace Steinberg;

namespace {

constexpr int32 kBlock = 256;

} // namespace

void concurrentStateScenario(const Scenario& scenario, int stateRounds) {
    const Checks check{scenario.report, "concurrent state", scenario.seed};
    Random random(scenario.seed);
    auto instance = makeInstance(scenario.module, check);
    if (!instance) {
        return;
    }
    const double rate = random.chance(0.5) ? 44100.0 : 48000.0;
    if (!check(instance->start(rate, kBlock) == kResultOk, "the set-up is accepted")) {
        return;
    }
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::atomic<long> failedBlocks{0};
    const uint64_t audioSeed = random.seedForChild();
    std::thread audio([&] {
        Random audioRandom(audioSeed);
        host::ProcessBlock block({2}, {2}, kBlock);
        double phase = 0.0;
        while (!stop.load()) {
            for (int i = 0; i < kBlock; ++i) {
                block.input(0, 0)[static_cast<std::size_t>(i)] = audioRandom.hostileSample(phase);
                block.input(0, 1)[static_cast<std::size_t>(i)] = audioRandom.hostileSample(phase);
                phase += 0.05;
            }
            const tresult result = instance->process(block.prepare(kBlock));
            const bool clean = cleanAudio(block.output(0, 0).data(), kBlock) &&
                               cleanAudio(block.output(0, 1).data(), kBlock);
            if (result != kResultOk || !clean) {
                failedBlocks.fetch_add(1);
            }
            blocks.fetch_add(1);
        }
    });
    // The main thread waits for the audio to run before each round, so that the two overlap.
    for (int round = 0; round < stateRounds; ++round) {
        const long before = blocks.load();
        while (blocks.load() == before) {
            std::this_thread::yield();
        }
        checkStatesRoundTrip(*instance, random, check);
    }
    stop.store(true);
    audio.join();
    check(failedBlocks.load() == 0, "every block renders clean audio while states change (" +
                                        std::to_string(failedBlocks.load()) + " did not)");
}

} // namespace vanto::stress
