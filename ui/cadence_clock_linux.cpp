// Linux cadence clock: a timer handler registered with the host's IRunLoop, which calls it on the
// host's UI thread.
#include "ui/cadence_clock.h"

#include "ui/single_interface_object.h"

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/gui/iplugview.h"

#include <atomic>
#include <cmath>

namespace vanto {

using Steinberg::FUnknown;
using Steinberg::FUnknownPtr;
using Steinberg::IPtr;
using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::uint32;
using Steinberg::Linux::IRunLoop;
using Steinberg::Linux::ITimerHandler;
using Steinberg::Linux::TimerInterval;

namespace {

constexpr double kDefaultIntervalSeconds = 1.0 / 30.0;

// Run loops count in whole milliseconds; never 0, which some hosts read as "as fast as possible".
TimerInterval intervalMilliseconds(double intervalSeconds) {
    const double seconds = intervalSeconds > 0.0 ? intervalSeconds : kDefaultIntervalSeconds;
    const double milliseconds = std::round(seconds * 1000.0);
    if (!(milliseconds >= 1.0)) {
        return 1;
    }
    return milliseconds < 1e12 ? static_cast<TimerInterval>(milliseconds) : TimerInterval{1000000000000};
}

} // namespace

// The host may keep its own references to the handler beyond unregisterTimer, so the clock is
// reference counted and a stopped clock ignores late ticks.
struct CadenceClock final : public SingleInterfaceObject<ITimerHandler> {
    CadenceClock(CadenceCallback callback, void* context, IRunLoop* runLoop)
        : callback_(callback), context_(context), runLoop_(runLoop) {}

    bool start(TimerInterval milliseconds) {
        return runLoop_->registerTimer(this, milliseconds) == kResultOk;
    }

    void stop() {
        stopped_ = true;
        runLoop_->unregisterTimer(this);
        runLoop_ = nullptr;
    }

    void PLUGIN_API onTimer() override {
        if (!stopped_) {
            callback_(context_);
        }
    }

  private:
    ~CadenceClock() override = default;

    CadenceCallback callback_;
    void* context_;
    IPtr<IRunLoop> runLoop_;
    bool stopped_ = false;
};

CadenceClock* vantoStartCadenceClock(CadenceCallback callback, void* context, double intervalSeconds,
                                     FUnknown* runLoopSource) {
    if (callback == nullptr || runLoopSource == nullptr) {
        return nullptr;
    }
    FUnknownPtr<IRunLoop> runLoop(runLoopSource);
    if (!runLoop) {
        return nullptr;
    }
    auto* clock = new CadenceClock(callback, context, runLoop);
    if (!clock->start(intervalMilliseconds(intervalSeconds))) {
        clock->release();
        return nullptr;
    }
    return clock;
}

void vantoStopCadenceClock(CadenceClock* clock) {
    if (clock == nullptr) {
        return;
    }
    clock->stop();
    clock->release();
}

} // namespace vanto
