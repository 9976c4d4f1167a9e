// Engines created, set up, run and destroyed on several threads at once share only the kernel
// module: the once-only runtime initialisation and the instance pool must hold up under that.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "engine/kernel_engine.h"
#include "engine_test_support.h"

namespace vanto {
namespace {

TEST(EngineThreads, EnginesComeAndGoOnSeveralThreadsAtOnce) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 12;
    constexpr int kBlock = 256;
    std::atomic<int> failures{0};
    std::atomic<bool> start{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            while (!start.load()) {
                std::this_thread::yield();
            }
            const double rate = t % 2 == 0 ? 48000.0 : 44100.0;
            const test::Stereo tone = test::sine(330.0, rate, kBlock, 0.5);
            test::Stereo output(kBlock);
            for (int round = 0; round < kRounds; ++round) {
                auto engine = std::make_unique<KernelEngine>();
                engine->setParamValue(11, 3.0 + t);
                if (!engine->setup(rate, kBlock)) {
                    failures.fetch_add(1);
                    continue;
                }
                for (int block = 0; block < 4; ++block) {
                    engine->pushParamNormalized(32, 0.5, block * 10);
                    test::renderBlock(*engine, tone.left.data(), tone.right.data(), 2, output.left.data(),
                                      output.right.data(), kBlock);
                    const bool finite = std::all_of(output.left.begin(), output.left.end(),
                                                    [](float s) { return std::isfinite(s); });
                    if (engine->callbackFailed() || !finite) {
                        failures.fetch_add(1);
                    }
                }
                engine->drainRuntimeDiagnostics();
                if (engine->diagnostics().count != 0) {
                    failures.fetch_add(1);
                }
            }
        });
    }
    start.store(true);
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

// The state thread changes parameter values while the audio thread renders and republishes them:
// the mirror is shared without a lock, and the last value written is the one the mirror keeps.
TEST(EngineThreads, ParameterValuesChangeWhileBlocksRender) {
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(48000.0, 128));
    std::atomic<bool> done{false};
    std::thread stateThread([&] {
        for (int i = 0; i < 2000; ++i) {
            engine.setParamValue(static_cast<uint32_t>(i % 34),
                                 engine.paramValue(static_cast<uint32_t>(i % 34)));
            engine.setParamValue(11, (i % 19) * 1.0);
        }
        done.store(true);
    });
    const test::Stereo tone = test::sine(330.0, 48000.0, 128, 0.5);
    test::Stereo output(128);
    int blocks = 0;
    while (!done.load() || blocks < 10) {
        test::renderBlock(engine, tone.left.data(), tone.right.data(), 2, output.left.data(),
                          output.right.data(), 128);
        ASSERT_FALSE(engine.callbackFailed());
        ++blocks;
    }
    stateThread.join();
    EXPECT_EQ(engine.paramValue(11), (1999 % 19) * 1.0);
}

} // namespace
} // namespace vanto
