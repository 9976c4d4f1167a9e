#include "ccmap/cc_map_store.h"

#include <gtest/gtest.h>

namespace vanto {
namespace {

CcMap mapWithCc(uint8_t cc) {
    CcMap map;
    CcBinding binding;
    binding.parameter = 31;
    binding.cc = cc;
    map.append(binding);
    return map;
}

void finishPasses(CcMapStore& store, int passes) {
    for (int i = 0; i < passes; ++i) {
        CcMapReadPass pass(store);
    }
}

TEST(CcMapStore, StartsWithAnEmptyUnchangedMap) {
    CcMapStore store;
    CcMapReadPass pass(store);
    EXPECT_EQ(pass.map(), CcMap{});
    EXPECT_FALSE(pass.changed());
}

TEST(CcMapStore, ReaderSeesACopyOfThePublishedMapAndOneChange) {
    CcMapStore store;
    CcMap map = mapWithCc(7);
    ASSERT_TRUE(store.publish(map));
    map.bindings[0].cc = 8;
    {
        CcMapReadPass pass(store);
        EXPECT_EQ(pass.map(), mapWithCc(7));
        EXPECT_TRUE(pass.changed());
    }
    CcMapReadPass next(store);
    EXPECT_FALSE(next.changed());
}

TEST(CcMapStore, FreesAReplacedMapOnlyAfterTwoReaderPasses) {
    CcMapStore store;
    ASSERT_TRUE(store.publish(mapWithCc(1)));
    EXPECT_EQ(store.retiredCount(), 0u); // the embedded empty map is never retired
    ASSERT_TRUE(store.publish(mapWithCc(2)));
    EXPECT_EQ(store.retiredCount(), 1u);
    finishPasses(store, 1);
    store.collect();
    EXPECT_EQ(store.retiredCount(), 1u);
    finishPasses(store, 1);
    store.collect();
    EXPECT_EQ(store.retiredCount(), 0u);
}

TEST(CcMapStore, MapHeldByARunningPassStaysValidAcrossPublications) {
    CcMapStore store;
    ASSERT_TRUE(store.publish(mapWithCc(1)));
    CcMapReadPass* pass = new CcMapReadPass(store);
    for (uint8_t cc = 2; cc < 10; ++cc) {
        ASSERT_TRUE(store.publish(mapWithCc(cc)));
        store.collect();
    }
    // Under the address sanitizer a freed map would fail here.
    EXPECT_EQ(pass->map(), mapWithCc(1));
    delete pass;
    finishPasses(store, 1);
    store.collect();
    EXPECT_EQ(store.retiredCount(), 0u);
    CcMapReadPass latest(store);
    EXPECT_EQ(latest.map(), mapWithCc(9));
}

TEST(CcMapStore, PruningKeepsTheMapsStillInTheirGracePeriod) {
    CcMapStore store;
    ASSERT_TRUE(store.publish(mapWithCc(1)));
    ASSERT_TRUE(store.publish(mapWithCc(2))); // map 1 retired at epoch 0
    finishPasses(store, 1);
    ASSERT_TRUE(store.publish(mapWithCc(3))); // map 2 retired at epoch 1
    finishPasses(store, 1);
    store.collect(); // epoch 2: map 1 goes, map 2 stays
    EXPECT_EQ(store.retiredCount(), 1u);
    finishPasses(store, 1);
    store.collect();
    EXPECT_EQ(store.retiredCount(), 0u);
}

} // namespace
} // namespace vanto
