// Folds the kernel's per-call meter records into records of about 10 ms each (100 a second), counted
// in kernel frames, so the rate is the same whatever the host's rate and block size. Audio thread
// only; no allocation.
#pragma once

#include "diagnostics/signal_meter_record.h"
#include "kernel/dovrel_kernel_meters.h"

#include <cstdint>

namespace vanto {

class MeterAggregator {
  public:
    // Kernel frames per record: 480 at 48 kHz is 100 records a second. A record closes at the end of
    // the first kernel call that reaches its boundary, so records hold whole calls.
    static constexpr uint64_t kRecordFrames = 480;

    // Back to frame 0 with nothing gathered (a new kernel instance).
    void reset();
    // Takes in one kernel call's record; true when a record is complete (see take()).
    bool add(const dovrel_kernel_meter_record& call);
    // Lets `frames` kernel frames pass unmetered: what was gathered is dropped, time goes on.
    void skip(uint32_t frames);
    // The completed record; a new one starts.
    const SignalMeterRecord& completed() const { return completed_; }

  private:
    void startRecord();

    SignalMeterRecord open_{};
    SignalMeterRecord completed_{};
    uint64_t frame_ = 0; // kernel frames so far
    uint64_t nextBoundary_ = kRecordFrames;
    double inputSquares_[2] = {}; // Σ mean square × frames of the calls gathered
    double outputSquares_[2] = {};
};

} // namespace vanto
