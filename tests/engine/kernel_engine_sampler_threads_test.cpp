// A reader on another thread that marks the published pad overrides keeps reading a whole, live
// snapshot while the publishing thread replaces it again and again (run under the sanitizers, a
// snapshot freed too early or a torn read shows up here).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "engine/kernel_engine.h"

namespace vanto {
namespace {

// Every pad of publication n has gain n / 1000 and the id "pad-<n>", so a reader can check that a
// snapshot is whole.
SamplerPadOverrides publication(int n) {
    SamplerPadOverrides list(3);
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i].padId = "pad-" + std::to_string(n);
        list[i].padId += static_cast<char>('a' + i);
        list[i].gain = n / 1000.0;
        list[i].mask = kPadGain;
    }
    return list;
}

TEST(SamplerPadPublicationThreads, AMarkedSnapshotStaysWholeWhilePublicationsGoOn) {
    KernelEngine engine;
    ASSERT_TRUE(engine.publishSamplerPadOverrides(publication(0)));
    constexpr int kPublications = 2000;
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::atomic<long> reads{0};

    std::thread reader([&] {
        do {
            const SamplerPadOverrides* held = engine.acquireSamplerPadOverrides();
            // Hold the snapshot across a few publications before checking it.
            std::this_thread::yield();
            const double gain = (*held)[0].gain;
            const std::string prefix = "pad-" + std::to_string(static_cast<int>(gain * 1000.0 + 0.5));
            for (const SamplerPadOverride& pad : *held) {
                std::this_thread::yield();
                if (pad.gain != gain || pad.padId.compare(0, prefix.size(), prefix) != 0) {
                    torn.fetch_add(1);
                }
            }
            engine.releaseSamplerPadOverrides();
            reads.fetch_add(1);
        } while (!done.load());
    });
    for (int n = 1; n <= kPublications; ++n) {
        ASSERT_TRUE(engine.publishSamplerPadOverrides(publication(n)));
    }
    done.store(true);
    reader.join();

    EXPECT_EQ(torn.load(), 0);
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(engine.samplerPadOverridesGeneration(), static_cast<uint32_t>(kPublications + 1));
    EXPECT_LE(engine.retiredSamplerPadOverrideCount(), 1u);
}

} // namespace
} // namespace vanto
