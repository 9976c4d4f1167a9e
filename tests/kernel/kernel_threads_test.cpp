// Several plug-in instances create, run and destroy kernel instances on their own threads at once.
#include "dovrel_kernel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <set>
#include <thread>
#include <vector>

namespace {

TEST(KernelThreads, ConcurrentInstancesNeverShareASlotOrState) {
    dovrel_kernel_runtime_init();
    constexpr int kThreads = 8;
    constexpr int kRounds = 40;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < kRounds; ++round) {
                const uint32_t handle = static_cast<uint32_t>(dovrel_kernel_create(128, 2, 2, 48000));
                if (handle == 0) {
                    ++failures;
                    continue;
                }
                // Each thread feeds its own constant level with mix 0 and master 1: the output must be
                // exactly that level, which fails if another thread's instance shared the slot.
                const float level = 0.01f * static_cast<float>(t + 1);
                if (dovrel_kernel_push_event(handle, 1, 0, 31, 0.0) != 0 ||
                    dovrel_kernel_push_event(handle, 1, 0, 32, 1.0) != 0) {
                    ++failures;
                }
                float* input = nullptr;
                float* output = nullptr;
                uint32_t length = 0;
                for (int block = 0; block < 30; ++block) {
                    dovrel_kernel_input_view(handle, &input, &length);
                    for (uint32_t i = 0; i < length; ++i) {
                        input[i] = level;
                    }
                    if (dovrel_kernel_process(handle, 128) != 0) {
                        ++failures;
                    }
                }
                dovrel_kernel_output_view(handle, &output, &length);
                // After 30 blocks the smoothed mix has not fully reached 0, so compare against the settled
                // dry signal loosely but with the thread's own level.
                if (length != 256 || std::fabs(output[127] - level) > 0.01f * level + 0.002f) {
                    ++failures;
                }
                if (dovrel_kernel_destroy(handle) != 0) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

TEST(KernelThreads, ConcurrentCreatesForTheLastThirtyTwoSlotsGetDistinctSlots) {
    dovrel_kernel_runtime_init();
    constexpr int kContested = 32;
    for (int i = 0; i < DOVREL_KERNEL_MAX_INSTANCES - kContested; ++i) {
        ASSERT_NE(dovrel_kernel_create(128, 2, 2, 48000), 0.0);
    }
    std::vector<uint32_t> handles(40, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 40; ++t) {
        threads.emplace_back(
            [t, &handles] { handles[t] = static_cast<uint32_t>(dovrel_kernel_create(128, 2, 2, 48000)); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::set<uint32_t> slots;
    int created = 0;
    for (uint32_t handle : handles) {
        if (handle != 0) {
            ++created;
            slots.insert((handle - 1) % DOVREL_KERNEL_MAX_INSTANCES);
        }
    }
    EXPECT_EQ(created, kContested);
    EXPECT_EQ(slots.size(), static_cast<std::size_t>(kContested));
}

} // namespace
