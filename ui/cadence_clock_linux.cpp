// Linux cadence clock: a timer handler registered with the host's IRunLoop, which calls it on the
// host's UI thread.
#include "ui/cadence_clock.h"

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
struct CadenceClock final : public ITimerHandler {
    CadenceClock(CadenceCallback callback, void* context, IRunLoop* runLoop)
        : callback_(callback), context_(context), runLoop_(runLoop) {}

    CadenceClock(const CadenceClock&) = delete;
    CadenceClock& operator=(const CadenceClock&) = delete;

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

    tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** object) override {
        if (Steinberg::FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
            Steinberg::FUnknownPrivate::iidEqual(iid, ITimerHandler::iid)) {
            addRef();
            *object = static_cast<ITimerHandler*>(this);
            return kResultOk;
        }
        *object = nullptr;
        return Steinberg::kNoInterface;
    }

    uint32 PLUGIN_API addRef() override { return ++references_; }

    uint32 PLUGIN_API release() override {
        const uint32 remaining = --references_;
        if (remaining == 0) {
            delete this;
        }
        return remaining;
    }

  private:
    ~CadenceClock() = default;

    CadenceCallback callback_;
    void* context_;
    IPtr<IRunLoop> runLoop_;
    bool stopped_ = false;
    std::atomic<uint32> references_{1};
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
