// process() allocates nothing once the processor is active. This program replaces the global
// allocation functions (and, outside the sanitizer builds, malloc itself) with counting ones; the
// dlopened plug-in shares them, since it takes both from the process's global scope.
#include "processor/processor_harness.h"

#include "demo_signal.h"
#include "process_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

thread_local bool counting = false;
thread_local long allocations = 0;

void noteAllocation() {
    if (counting) {
        ++allocations;
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

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// glibc's own entry points; the sanitizers bring their own malloc, so these are counted only in
// the plain builds.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* memory, std::size_t size);

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
}
#endif

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using vanto::test::ProcessorHarness;

// Counts the allocations made by `work` on this thread.
template <class Work> long allocationsDuring(Work&& work) {
    allocations = 0;
    counting = true;
    work();
    counting = false;
    return allocations;
}

TEST(ProcessorAllocation, TheCountersSeeAllocationsMadeInsideThePlugIn) {
    ProcessorHarness harness;
    EXPECT_GT(allocationsDuring([&] { harness.saveState(); }), 0)
        << "getState builds its document on the heap";
}

class ProcessorAllocationAtRate : public ::testing::TestWithParam<double> {};

TEST_P(ProcessorAllocationAtRate, ProcessAllocatesNothingAfterActivation) {
    const double rate = GetParam();
    constexpr int32 kBlock = 512;
    const vanto::StereoBuffer demo = vanto::makeDemoSignal(rate, 0.5);
    ProcessorHarness harness;
    harness.start(rate, kBlock);
    vanto::host::ProcessBlock block({2}, {2}, kBlock);

    long counted = 0;
    int blockIndex = 0;
    for (std::size_t start = 0; start + kBlock <= demo.frames(); start += kBlock, ++blockIndex) {
        std::copy_n(demo.left.begin() + static_cast<std::ptrdiff_t>(start), kBlock,
                    block.input(0, 0).begin());
        std::copy_n(demo.right.begin() + static_cast<std::ptrdiff_t>(start), kBlock,
                    block.input(0, 1).begin());
        block.clearQueues();
        block.inputParameterChanges().add(static_cast<ParamID>(blockIndex % 34), blockIndex % kBlock, 0.3);
        block.inputParameterChanges().add(32, 100, (blockIndex % 10) / 10.0);
        block.inputParameterChanges().add(40, 5, 1.0);
        Event note{};
        note.type = Event::kNoteOnEvent;
        note.noteOn.pitch = 60;
        note.noteOn.velocity = 0.5f;
        block.inputEvents().addEvent(note);
        // Every fourth call is a flush with the same changes.
        ProcessData& data = block.prepare(blockIndex % 4 == 3 ? 0 : kBlock);
        counted += allocationsDuring([&] { harness.processor().process(data); });
    }
    EXPECT_EQ(counted, 0);
}

INSTANTIATE_TEST_SUITE_P(Rates, ProcessorAllocationAtRate, ::testing::Values(48000.0, 44100.0, 96000.0));

} // namespace
