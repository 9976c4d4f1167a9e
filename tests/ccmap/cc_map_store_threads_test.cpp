#include "ccmap/cc_map_store.h"
#include "ccmap/cc_resolve.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vanto {
namespace {

constexpr int kPublications = 3000;

// Publication k fills 1 + k % 64 bindings that all carry k, so a reader can tell a whole map from a
// torn or freed one.
CcMap publication(int k) {
    CcMap map;
    CcBinding binding;
    binding.parameter = static_cast<uint32_t>(k % 34);
    binding.cc = 20;
    binding.hasMin = true;
    binding.min = k;
    for (int i = 0; i <= k % 64; ++i) {
        map.append(binding);
    }
    return map;
}

bool isWhole(const CcMap& map, int k) {
    if (map.count != static_cast<uint32_t>(1 + k % 64)) {
        return false;
    }
    for (uint32_t i = 0; i < map.count; ++i) {
        if (map.bindings[i].min != k || map.bindings[i].parameter != static_cast<uint32_t>(k % 34)) {
            return false;
        }
    }
    return true;
}

TEST(CcMapStoreThreads, ReaderAlwaysSeesWholeMapsInPublicationOrder) {
    CcMapStore store;
    std::atomic<bool> readerFailed{false};
    std::atomic<int> passes{0};

    std::thread reader([&] {
        CcRouterState router;
        CcResolution out[kCcMapCapacity];
        int lastSeen = -1;
        while (lastSeen < kPublications - 1) {
            CcMapReadPass pass(store);
            const CcMap& map = pass.map();
            if (pass.changed()) {
                router.reset(&map);
            }
            if (map.count == 0) {
                continue; // nothing published yet
            }
            const int k = static_cast<int>(map.bindings[0].min);
            if (k < lastSeen || !isWhole(map, k) ||
                ccResolve(map, 20, 1, 64, &router, nullptr, nullptr, out, kCcMapCapacity) != map.count) {
                readerFailed = true;
                return;
            }
            lastSeen = k;
            passes.fetch_add(1, std::memory_order_relaxed);
        }
    });

    for (int k = 0; k < kPublications; ++k) {
        ASSERT_TRUE(store.publish(publication(k)));
        if (k % 16 == 0) {
            store.collect();
        }
    }
    reader.join();

    EXPECT_FALSE(readerFailed);
    EXPECT_GT(passes.load(), 0);
    // Once the reader has moved on, everything retired is freed.
    for (int i = 0; i < 2; ++i) {
        CcMapReadPass pass(store);
    }
    store.collect();
    EXPECT_EQ(store.retiredCount(), 0u);
}

} // namespace
} // namespace vanto
