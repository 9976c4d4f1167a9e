// The window frame a Linux host gives a plug-in's editor: IPlugFrame for resize requests, and the
// host's run loop (Steinberg::Linux::IRunLoop) that the plug-in registers its descriptors and timers
// with. The loop runs when the caller runs it, on the caller's thread, as a host's UI loop does.
#pragma once

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/gui/iplugview.h"

#include <chrono>
#include <functional>
#include <vector>

namespace vanto::host {

class RunLoopFrame final : public Steinberg::IPlugFrame, public Steinberg::Linux::IRunLoop {
  public:
    RunLoopFrame() = default;
    virtual ~RunLoopFrame() = default;
    RunLoopFrame(const RunLoopFrame&) = delete;
    RunLoopFrame& operator=(const RunLoopFrame&) = delete;

    // Runs the loop until `done` returns true (checked after every round) or `timeout` has passed;
    // true when done. `eachRound` is called once per round, for the caller's own window events.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                  const std::function<void()>& eachRound = {});
    // Runs the loop for `duration`.
    void runFor(std::chrono::milliseconds duration, const std::function<void()>& eachRound = {});

    std::size_t eventHandlerCount() const { return handlers.size(); }
    std::size_t timerCount() const { return timers.size(); }
    // The sizes asked for through resizeView, in order.
    std::vector<Steinberg::ViewRect> resizeRequests;

    // IPlugFrame: the view is given the size it asks for.
    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view,
                                             Steinberg::ViewRect* newSize) override;

    // IRunLoop
    Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                                       Steinberg::Linux::FileDescriptor fd) override;
    Steinberg::tresult PLUGIN_API unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                                Steinberg::Linux::TimerInterval milliseconds) override;
    Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    // Owned by the caller, which keeps it alive longer than any view it is given to.
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

  private:
    using Clock = std::chrono::steady_clock;
    struct EventHandler {
        Steinberg::IPtr<Steinberg::Linux::IEventHandler> handler;
        int fd;
    };
    struct Timer {
        Steinberg::IPtr<Steinberg::Linux::ITimerHandler> handler;
        std::chrono::milliseconds interval;
        Clock::time_point due;
    };

    void runRound(Clock::time_point deadline);

    std::vector<EventHandler> handlers;
    std::vector<Timer> timers;
};

} // namespace vanto::host
