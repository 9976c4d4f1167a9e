// The real-time side of the CC facility must not allocate. This binary replaces the global allocation
// functions to count allocations on the current thread and to make chosen allocations fail.
#include "ccmap/cc_activity_feed.h"
#include "ccmap/cc_map_store.h"
#include "ccmap/cc_resolve.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {

thread_local int allocationCount = 0;
thread_local int allocationsBeforeFailure = -1; // -1: never fail

void* allocate(std::size_t size) {
    ++allocationCount;
    if (allocationsBeforeFailure == 0) {
        return nullptr;
    }
    if (allocationsBeforeFailure > 0) {
        --allocationsBeforeFailure;
    }
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

void* operator new(std::size_t size) {
    if (void* memory = allocate(size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace vanto {
namespace {

CcMap pickupMap() {
    CcMap map;
    CcBinding binding;
    binding.parameter = 31;
    binding.cc = 20;
    binding.takeover = CcTakeover::pickup;
    map.append(binding);
    binding.valueMode = CcValueMode::relativeBinaryOffset;
    map.append(binding);
    return map;
}

double halfway(void*, unsigned) {
    return 0.5;
}

// Counts the allocations of `work` on this thread.
template <typename Work> int allocationsDuring(Work&& work) {
    const int before = allocationCount;
    work();
    return allocationCount - before;
}

void* volatile keptAlive = nullptr; // keeps the compiler from eliding the allocation below

TEST(CcRealtimeAllocation, CountingSeesAnAllocation) {
    EXPECT_EQ(allocationsDuring([] { keptAlive = new int(1); }), 1);
    delete static_cast<int*>(keptAlive);
}

TEST(CcRealtimeAllocation, ReaderPassResolutionAndActivityRecordAllocateNothing) {
    CcMapStore store;
    ASSERT_TRUE(store.publish(pickupMap()));
    CcActivityFeed feed;
    CcRouterState router;
    unsigned resolved = 0;
    const int allocations = allocationsDuring([&] {
        for (int value : {10, 70, 65}) {
            CcMapReadPass pass(store);
            if (pass.changed()) {
                router.reset(&pass.map());
            }
            CcResolution out[4];
            resolved += ccResolve(pass.map(), 20, 1, value, &router, halfway, nullptr, out, 4);
            feed.record(20, 1, value);
        }
    });
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(resolved, 0u);
}

TEST(CcRealtimeAllocation, FailedCopyLeavesTheCurrentMap) {
    CcMapStore store;
    ASSERT_TRUE(store.publish(pickupMap()));
    allocationsBeforeFailure = 0;
    const bool published = store.publish(CcMap{});
    allocationsBeforeFailure = -1;
    EXPECT_FALSE(published);
    CcMapReadPass pass(store);
    EXPECT_EQ(pass.map(), pickupMap());
}

TEST(CcRealtimeAllocation, FailedRetirementBookkeepingLeavesTheCurrentMap) {
    CcMapStore store;
    allocationsBeforeFailure = 1; // the copy succeeds, making room for retirements fails
    const bool published = store.publish(pickupMap());
    allocationsBeforeFailure = -1;
    EXPECT_FALSE(published);
    CcMapReadPass pass(store);
    EXPECT_EQ(pass.map(), CcMap{});
    EXPECT_FALSE(pass.changed());
}

} // namespace
} // namespace vanto
