#include "support/realtime_guard.h"

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include <dlfcn.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <ucontext.h>

namespace {

// Per thread: only the thread under watch counts.
thread_local bool counting = false;
thread_local long locks = 0;
thread_local long systemCalls = 0;
thread_local int lastSystemCall = -1;

} // namespace

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

namespace {

void noteLock() {
    if (counting) {
        ++locks;
    }
}

} // namespace

// The one place a watched thread's system calls may come from: the SIGSYS handler makes each trapped
// call again here, with the number in the first argument and the call's six arguments after it.
extern "C" long dovrelRealtimeGuardSyscall(long number, long a1, long a2, long a3, long a4, long a5, long a6);
extern "C" const char dovrelRealtimeGuardSyscallReturn[];
asm(R"(
    .text
    .p2align 4
    .globl dovrelRealtimeGuardSyscall
    .hidden dovrelRealtimeGuardSyscall
    .type dovrelRealtimeGuardSyscall, @function
dovrelRealtimeGuardSyscall:
    movq %rdi, %rax
    movq %rsi, %rdi
    movq %rdx, %rsi
    movq %rcx, %rdx
    movq %r8, %r10
    movq %r9, %r8
    movq 8(%rsp), %r9
    syscall
    .globl dovrelRealtimeGuardSyscallReturn
    .hidden dovrelRealtimeGuardSyscallReturn
dovrelRealtimeGuardSyscallReturn:
    ret
    .size dovrelRealtimeGuardSyscall, .-dovrelRealtimeGuardSyscall
)");

namespace {

void onTrappedSystemCall(int /*signal*/, siginfo_t* info, void* context) {
    auto* registers = static_cast<ucontext_t*>(context)->uc_mcontext.gregs;
    if (counting) {
        ++systemCalls;
        lastSystemCall = info->si_syscall;
    }
    registers[REG_RAX] = dovrelRealtimeGuardSyscall(info->si_syscall, registers[REG_RDI], registers[REG_RSI],
                                                    registers[REG_RDX], registers[REG_R10], registers[REG_R8],
                                                    registers[REG_R9]);
}

bool installTrapHandler() {
    struct sigaction action {};
    action.sa_sigaction = &onTrappedSystemCall;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGSYS, &action, nullptr) == 0;
}

// Allows the return from a signal handler and the trampoline's calls; traps everything else.
bool installFilter() {
    const auto returnAddress = reinterpret_cast<uint64_t>(dovrelRealtimeGuardSyscallReturn);
    const auto low = static_cast<uint32_t>(returnAddress);
    const auto high = static_cast<uint32_t>(returnAddress >> 32);
    constexpr uint32_t kIpLow = offsetof(seccomp_data, instruction_pointer);
    constexpr uint32_t kIpHigh = kIpLow + 4;
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_rt_sigreturn, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kIpLow),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, low, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kIpHigh),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, high, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
    };
    sock_fprog filter{static_cast<unsigned short>(sizeof program / sizeof program[0]), program};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &filter) == 0;
}

} // namespace

namespace vanto::test {

bool watchThisThreadForSystemCalls() {
    static const bool handlerInstalled = installTrapHandler();
    if (!handlerInstalled || !installFilter()) {
        std::fprintf(stderr, "realtime guard: no system call filter: %s\n", std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace vanto::test

// The lock entry points, counted and handed on to the C library's own.
namespace {

// The C library's function, looked up on first use (the program's own static initialisers may lock
// before this file's run).
template <typename Function> Function real(Function& cached, const char* name) {
    if (cached == nullptr) {
        cached = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
    }
    return cached;
}

int (*realMutexLock)(pthread_mutex_t*) = nullptr;
int (*realMutexTrylock)(pthread_mutex_t*) = nullptr;
int (*realRdlock)(pthread_rwlock_t*) = nullptr;
int (*realWrlock)(pthread_rwlock_t*) = nullptr;
int (*realSpinLock)(pthread_spinlock_t*) = nullptr;
int (*realCondWait)(pthread_cond_t*, pthread_mutex_t*) = nullptr;
int (*realCondTimedWait)(pthread_cond_t*, pthread_mutex_t*, const struct timespec*) = nullptr;

} // namespace

extern "C" {
int pthread_mutex_lock(pthread_mutex_t* mutex) {
    noteLock();
    return real(realMutexLock, "pthread_mutex_lock")(mutex);
}
int pthread_mutex_trylock(pthread_mutex_t* mutex) {
    noteLock();
    return real(realMutexTrylock, "pthread_mutex_trylock")(mutex);
}
int pthread_rwlock_rdlock(pthread_rwlock_t* lock) {
    noteLock();
    return real(realRdlock, "pthread_rwlock_rdlock")(lock);
}
int pthread_rwlock_wrlock(pthread_rwlock_t* lock) {
    noteLock();
    return real(realWrlock, "pthread_rwlock_wrlock")(lock);
}
int pthread_spin_lock(pthread_spinlock_t* lock) {
    noteLock();
    return real(realSpinLock, "pthread_spin_lock")(lock);
}
int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
    noteLock();
    return real(realCondWait, "pthread_cond_wait")(condition, mutex);
}
int pthread_cond_timedwait(pthread_cond_t* condition, pthread_mutex_t* mutex, const struct timespec* until) {
    noteLock();
    return real(realCondTimedWait, "pthread_cond_timedwait")(condition, mutex, until);
}
}

#else

namespace vanto::test {

bool watchThisThreadForSystemCalls() {
    return false;
}

} // namespace vanto::test

#endif

namespace vanto::test {

RealtimeWatch::RealtimeWatch() {
    locks = 0;
    systemCalls = 0;
    lastSystemCall = -1;
    counting = true;
}

RealtimeWatch::~RealtimeWatch() {
    counting = false;
}

RealtimeViolations RealtimeWatch::stop() {
    counting = false;
    return {locks, systemCalls, lastSystemCall};
}

} // namespace vanto::test
