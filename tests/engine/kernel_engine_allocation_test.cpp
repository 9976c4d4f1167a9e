// The audio path allocates nothing: this executable replaces the global allocation functions with
// counting ones and renders blocks with parameter changes at every supported kind of rate.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "engine/kernel_engine.h"
#include "engine_test_support.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void noteAllocation() {
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
}

void* allocateOrThrow(std::size_t size) {
    noteAllocation();
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    noteAllocation();
    const auto align = static_cast<std::size_t>(alignment);
    if (void* memory = std::aligned_alloc(align, (size + align - 1) / align * align)) {
        return memory;
    }
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    noteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    noteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
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
void operator delete(void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}

// The C allocator is counted too, through glibc's own entry points. The sanitizers interpose malloc
// themselves and a second replacement would bypass their bookkeeping, so under them only the C++
// allocation functions are counted.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kCountsMalloc = false;
#else
constexpr bool kCountsMalloc = true;
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* memory, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* memory);

void* malloc(std::size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* memory, std::size_t size) {
    noteAllocation();
    return __libc_realloc(memory, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
    noteAllocation();
    void* memory = __libc_memalign(alignment, size);
    if (memory == nullptr) {
        return ENOMEM;
    }
    *result = memory;
    return 0;
}
void free(void* memory) {
    __libc_free(memory);
}
}
#endif

namespace vanto {
namespace {

// Counts the allocations made while it is alive.
class AllocationCount {
  public:
    AllocationCount() {
        allocations.store(0);
        counting.store(true);
    }
    ~AllocationCount() { counting.store(false); }
    long stop() {
        counting.store(false);
        return allocations.load();
    }
};

TEST(AllocationHooks, SeeAllocations) {
    volatile std::size_t size = 64;
    AllocationCount count;
    void* fromNew = ::operator new(size);
    ::operator delete(fromNew);
    void* volatile fromMalloc = std::malloc(size);
    std::free(fromMalloc);
    EXPECT_GE(count.stop(), kCountsMalloc ? 2 : 1);
}

class AudioPathAllocation : public ::testing::TestWithParam<double> {};

TEST_P(AudioPathAllocation, ProcessBlockAllocatesNothingAfterSetup) {
    const double rate = GetParam();
    if (!kCountsMalloc) {
        RecordProperty("note", "malloc is interposed by the sanitizer; only operator new is counted");
    }
    constexpr int kBlock = 512;
    KernelEngine engine;
    ASSERT_TRUE(engine.setup(rate, kBlock));
    const test::Stereo tone = test::sine(440.0, rate, kBlock + 1, 0.5);
    // One frame more than announced, for the block the engine refuses.
    std::vector<float> left(kBlock + 1);
    std::vector<float> right(kBlock + 1);
    std::vector<float> third(kBlock + 1);
    const float* in[2] = {tone.left.data(), tone.right.data()};
    float* out[3] = {left.data(), right.data(), third.data()};
    engine.processBlock(in, 2, out, 3, kBlock);

    AllocationCount count;
    for (int block = 0; block < 40; ++block) {
        for (uint32_t id = 0; id < KernelEngine::kParamCount; ++id) {
            engine.pushParamNormalized(id, (block % 5) / 4.0,
                                       static_cast<int>((id * 37 + block * 11) % kBlock));
        }
        engine.pushNoteOn(60, 0.5, 3, 0, 0);
        engine.setParamValue(11, block % 2 == 0 ? 3.0 : 6.0);
        engine.processBlock(in, 2, out, 3, kBlock);
        engine.processBlock(in, 2, out, 2, kBlock / 3);
        engine.pushParamNormalized(4, 1.0, 0);
        engine.processBlock(nullptr, 0, nullptr, 0, 0);
    }
    // A block the engine refuses allocates nothing either.
    engine.processBlock(in, 2, out, 3, kBlock + 1);
    EXPECT_EQ(count.stop(), 0);
    EXPECT_TRUE(engine.callbackFailed());
}

INSTANTIATE_TEST_SUITE_P(Rates, AudioPathAllocation, ::testing::Values(48000.0, 44100.0, 96000.0));

} // namespace
} // namespace vanto
