// Counting replacements of the global allocation functions, for tests that prove a path allocates
// nothing. Linking this library replaces operator new and delete in the whole test program (and,
// outside the sanitizer builds, malloc and its relatives too, so that code in a dlopened plug-in,
// which takes them from the program's global scope, is counted as well).
#pragma once

namespace vanto::test {

// The sanitizers interpose malloc themselves and a second replacement would bypass their
// bookkeeping, so under them only the C++ allocation functions are counted.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kCountsMalloc = false;
#else
inline constexpr bool kCountsMalloc = true;
#endif

// Counts the allocations made on the calling thread while it is alive (or until stop()).
class AllocationCount {
  public:
    AllocationCount();
    ~AllocationCount();
    AllocationCount(const AllocationCount&) = delete;
    AllocationCount& operator=(const AllocationCount&) = delete;

    // Stops counting and returns the count.
    long stop();
};

// The allocations `work` makes on the calling thread.
template <class Work> long allocationsDuring(Work&& work) {
    AllocationCount count;
    work();
    return count.stop();
}

} // namespace vanto::test
