// The Linux cadence clock against a host run loop played by the test.
#include "ui/cadence_clock.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>

#include <vector>

namespace vanto {
namespace {

using Steinberg::FIDString;
using Steinberg::FUnknown;
using Steinberg::kNoInterface;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::TUID;
using Steinberg::uint32;
using Steinberg::Linux::FileDescriptor;
using Steinberg::Linux::IEventHandler;
using Steinberg::Linux::IRunLoop;
using Steinberg::Linux::ITimerHandler;
using Steinberg::Linux::TimerInterval;

// Counts references like a host object would, so the test can see them all returned.
template <class Interface> class CountedObject : public Interface {
  public:
    uint32 references = 1;
    uint32 PLUGIN_API addRef() override { return ++references; }
    uint32 PLUGIN_API release() override { return --references; }
};

// A host run loop that keeps its timers and fires them when the test says so. Like some hosts, it
// holds a reference to each registered handler until it is unregistered.
class FakeRunLoop final : public CountedObject<IRunLoop> {
  public:
    struct Timer {
        ITimerHandler* handler;
        TimerInterval milliseconds;
    };
    std::vector<Timer> timers;
    bool refuseTimers = false;

    tresult PLUGIN_API registerTimer(ITimerHandler* handler, TimerInterval milliseconds) override {
        if (refuseTimers || handler == nullptr) {
            return kResultFalse;
        }
        handler->addRef();
        timers.push_back({handler, milliseconds});
        return kResultOk;
    }
    tresult PLUGIN_API unregisterTimer(ITimerHandler* handler) override {
        for (auto it = timers.begin(); it != timers.end(); ++it) {
            if (it->handler == handler) {
                timers.erase(it);
                handler->release();
                return kResultOk;
            }
        }
        return kResultFalse;
    }
    tresult PLUGIN_API registerEventHandler(IEventHandler*, FileDescriptor) override { return kResultFalse; }
    tresult PLUGIN_API unregisterEventHandler(IEventHandler*) override { return kResultFalse; }

    void fireAll() {
        for (const Timer& timer : std::vector<Timer>(timers)) {
            timer.handler->onTimer();
        }
    }

    tresult PLUGIN_API queryInterface(const TUID iid, void** object) override {
        if (Steinberg::FUnknownPrivate::iidEqual(iid, IRunLoop::iid) ||
            Steinberg::FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
            addRef();
            *object = static_cast<IRunLoop*>(this);
            return kResultOk;
        }
        *object = nullptr;
        return kNoInterface;
    }
};

// A host context (or plug frame) that is not itself the run loop but hands it out, or does not.
class FakeHostContext final : public CountedObject<FUnknown> {
  public:
    IRunLoop* runLoop = nullptr;

    tresult PLUGIN_API queryInterface(const TUID iid, void** object) override {
        if (runLoop != nullptr && Steinberg::FUnknownPrivate::iidEqual(iid, IRunLoop::iid)) {
            runLoop->addRef();
            *object = runLoop;
            return kResultOk;
        }
        *object = nullptr;
        return kNoInterface;
    }
};

void countTick(void* context) {
    ++*static_cast<int*>(context);
}

TEST(CadenceClock, RegistersATimerTicksAndUnregistersOnStop) {
    FakeRunLoop runLoop;
    FakeHostContext host;
    host.runLoop = &runLoop;
    int ticks = 0;
    CadenceClock* clock = vantoStartCadenceClock(countTick, &ticks, 1.0 / 30.0, &host);
    ASSERT_NE(clock, nullptr);
    ASSERT_EQ(runLoop.timers.size(), 1u);
    EXPECT_EQ(runLoop.timers[0].milliseconds, 33u);

    runLoop.fireAll();
    runLoop.fireAll();
    EXPECT_EQ(ticks, 2);

    vantoStopCadenceClock(clock);
    EXPECT_TRUE(runLoop.timers.empty());
    runLoop.fireAll();
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(runLoop.references, 1u); // every reference the clock took was returned
    EXPECT_EQ(host.references, 1u);
}

TEST(CadenceClock, ConvertsIntervalsToWholeMilliseconds) {
    const struct {
        double seconds;
        TimerInterval milliseconds;
    } cases[] = {{1.0 / 30.0, 33}, {0, 33}, {-1, 33}, {0.1, 100}, {0.0001, 1}, {2.5, 2500}};
    for (const auto& c : cases) {
        FakeRunLoop runLoop;
        int ticks = 0;
        CadenceClock* clock = vantoStartCadenceClock(countTick, &ticks, c.seconds, &runLoop);
        ASSERT_NE(clock, nullptr) << c.seconds;
        ASSERT_EQ(runLoop.timers.size(), 1u);
        EXPECT_EQ(runLoop.timers[0].milliseconds, c.milliseconds) << c.seconds;
        vantoStopCadenceClock(clock);
    }
}

TEST(CadenceClock, WithoutARunLoopThereIsNoClock) {
    int ticks = 0;
    FakeHostContext hostWithoutRunLoop;
    EXPECT_EQ(vantoStartCadenceClock(countTick, &ticks, 1.0 / 30.0, nullptr), nullptr);
    EXPECT_EQ(vantoStartCadenceClock(countTick, &ticks, 1.0 / 30.0, &hostWithoutRunLoop), nullptr);
    EXPECT_EQ(hostWithoutRunLoop.references, 1u);

    FakeRunLoop runLoop;
    EXPECT_EQ(vantoStartCadenceClock(nullptr, &ticks, 1.0 / 30.0, &runLoop), nullptr);
    runLoop.refuseTimers = true;
    EXPECT_EQ(vantoStartCadenceClock(countTick, &ticks, 1.0 / 30.0, &runLoop), nullptr);
    EXPECT_EQ(runLoop.references, 1u);
    EXPECT_TRUE(runLoop.timers.empty());
    vantoStopCadenceClock(nullptr);
}

TEST(CadenceClock, TwoClocksTickIndependently) {
    FakeRunLoop runLoop;
    int first = 0;
    int second = 0;
    CadenceClock* a = vantoStartCadenceClock(countTick, &first, 1.0 / 30.0, &runLoop);
    CadenceClock* b = vantoStartCadenceClock(countTick, &second, 1.0 / 30.0, &runLoop);
    runLoop.fireAll();
    vantoStopCadenceClock(a);
    runLoop.fireAll();
    vantoStopCadenceClock(b);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
    EXPECT_EQ(runLoop.references, 1u);
}

} // namespace
} // namespace vanto
