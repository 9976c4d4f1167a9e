// Watches one thread for the things an audio thread must never do besides allocating (which the
// counting allocation functions see): taking a lock and making a system call.
//
// Locks: the program replaces the pthread mutex, read-write lock, spin lock and condition wait entry
// points and exports them, so that a dlopened plug-in, which takes them from the program's global
// scope, is counted too (std::mutex and the SDK's locks end up there).
// System calls: a seccomp filter on the watched thread turns every system call made anywhere but in
// the guard's own trampoline into a SIGSYS; the handler counts it and makes the call through the
// trampoline, so the thread goes on as if nothing happened. Calls served by the vDSO (the clocks)
// never enter the kernel and are not counted.
//
// The filter cannot be lifted again, so watch() belongs on a thread made for the watched work. Under
// the sanitizers, which make system calls and take locks of their own, neither is watched.
#pragma once

namespace vanto::test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kWatchesLocksAndSystemCalls = false;
#else
inline constexpr bool kWatchesLocksAndSystemCalls = true;
#endif

struct RealtimeViolations {
    long locks = 0;
    long systemCalls = 0;
    int lastSystemCall = -1; // its number, -1 when none
};

// Installs the system call filter on the calling thread; false (with the reason on standard error)
// when the kernel refuses it, or under the sanitizers.
bool watchThisThreadForSystemCalls();

// Counts the locks and (on a watched thread) the system calls of the calling thread while alive.
class RealtimeWatch {
  public:
    RealtimeWatch();
    ~RealtimeWatch();
    RealtimeWatch(const RealtimeWatch&) = delete;
    RealtimeWatch& operator=(const RealtimeWatch&) = delete;

    // Stops counting and returns what was counted.
    RealtimeViolations stop();
};

// What `work` does on the calling thread that an audio thread must not.
template <class Work> RealtimeViolations realtimeViolationsDuring(Work&& work) {
    RealtimeWatch watch;
    work();
    return watch.stop();
}

} // namespace vanto::test
