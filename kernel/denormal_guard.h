// Flushes denormal floats to zero for the guard's lifetime and restores the caller's mode afterwards, so
// that a decaying filter tail never slows the audio loop down.
#pragma once

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace vanto {

class DenormalGuard {
  public:
    DenormalGuard() : saved_(read()) { write(saved_ | kFlushBits); }
    ~DenormalGuard() { write(saved_); }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

  private:
#if defined(__x86_64__) || defined(__i386__)
    static constexpr uint64_t kFlushBits = 0x8040; // flush-to-zero | denormals-are-zero
    static uint64_t read() {
        return _mm_getcsr();
    }
    static void write(uint64_t mode) {
        _mm_setcsr(static_cast<unsigned>(mode));
    }
#elif defined(__aarch64__)
    static constexpr uint64_t kFlushBits = uint64_t{1} << 24; // FPCR.FZ
    static uint64_t read() {
        uint64_t mode;
        __asm__ __volatile__("mrs %0, fpcr" : "=r"(mode));
        return mode;
    }
    static void write(uint64_t mode) {
        __asm__ __volatile__("msr fpcr, %0" : : "r"(mode));
    }
#else
    static constexpr uint64_t kFlushBits = 0;
    static uint64_t read() {
        return 0;
    }
    static void write(uint64_t) {}
#endif
    uint64_t saved_;
};

} // namespace vanto
