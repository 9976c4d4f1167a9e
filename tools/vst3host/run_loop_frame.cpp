#include "run_loop_frame.h"

#include <algorithm>
#include <poll.h>

namespace vanto::host {

using Steinberg::kInvalidArgument;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;
using Steinberg::tresult;
using Steinberg::Linux::IEventHandler;
using Steinberg::Linux::ITimerHandler;

tresult PLUGIN_API RunLoopFrame::resizeView(Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) {
    if (view == nullptr || newSize == nullptr) {
        return kInvalidArgument;
    }
    resizeRequests.push_back(*newSize);
    return view->onSize(newSize);
}

tresult PLUGIN_API RunLoopFrame::registerEventHandler(IEventHandler* handler,
                                                      Steinberg::Linux::FileDescriptor fd) {
    if (handler == nullptr || fd < 0) {
        return kInvalidArgument;
    }
    handlers.push_back({Steinberg::IPtr<IEventHandler>(handler), fd});
    return kResultOk;
}

tresult PLUGIN_API RunLoopFrame::unregisterEventHandler(IEventHandler* handler) {
    const auto removed =
        std::erase_if(handlers, [handler](const EventHandler& h) { return h.handler == handler; });
    return removed > 0 ? kResultOk : kResultFalse;
}

tresult PLUGIN_API RunLoopFrame::registerTimer(ITimerHandler* handler,
                                               Steinberg::Linux::TimerInterval milliseconds) {
    if (handler == nullptr || milliseconds == 0) {
        return kInvalidArgument;
    }
    const std::chrono::milliseconds interval(milliseconds);
    timers.push_back({Steinberg::IPtr<ITimerHandler>(handler), interval, Clock::now() + interval});
    return kResultOk;
}

tresult PLUGIN_API RunLoopFrame::unregisterTimer(ITimerHandler* handler) {
    const auto removed = std::erase_if(timers, [handler](const Timer& t) { return t.handler == handler; });
    return removed > 0 ? kResultOk : kResultFalse;
}

tresult PLUGIN_API RunLoopFrame::queryInterface(const Steinberg::TUID iid, void** obj) {
    if (Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::FUnknown::iid) ||
        Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::IPlugFrame::iid)) {
        *obj = static_cast<Steinberg::IPlugFrame*>(this);
        return kResultOk;
    }
    if (Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::Linux::IRunLoop::iid)) {
        *obj = static_cast<Steinberg::Linux::IRunLoop*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return Steinberg::kNoInterface;
}

// One wait for the first descriptor or timer due (at most 5 ms, so the caller's own events are seen
// promptly), then every ready handler and every due timer. Handlers may register and unregister from
// their callbacks, so each round works on copies and checks that a handler is still registered.
void RunLoopFrame::runRound(Clock::time_point deadline) {
    Clock::time_point wakeAt = std::min(deadline, Clock::now() + std::chrono::milliseconds(5));
    for (const Timer& timer : timers) {
        wakeAt = std::min(wakeAt, timer.due);
    }
    std::vector<pollfd> polled;
    const std::vector<EventHandler> watched = handlers;
    for (const EventHandler& h : watched) {
        polled.push_back({h.fd, POLLIN, 0});
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wakeAt - Clock::now()).count();
    poll(polled.data(), polled.size(), static_cast<int>(std::max<long long>(0, wait)));
    for (std::size_t i = 0; i < polled.size(); ++i) {
        const bool stillRegistered =
            std::any_of(handlers.begin(), handlers.end(),
                        [&](const EventHandler& h) { return h.handler == watched[i].handler; });
        if (polled[i].revents != 0 && stillRegistered) {
            watched[i].handler->onFDIsSet(watched[i].fd);
        }
    }
    const Clock::time_point now = Clock::now();
    const std::vector<Timer> due = timers;
    for (const Timer& timer : due) {
        auto registered = std::find_if(timers.begin(), timers.end(),
                                       [&](const Timer& t) { return t.handler == timer.handler; });
        if (registered != timers.end() && registered->due <= now) {
            registered->due = now + registered->interval;
            timer.handler->onTimer();
        }
    }
}

bool RunLoopFrame::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                            const std::function<void()>& eachRound) {
    const Clock::time_point deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        runRound(deadline);
        if (eachRound) {
            eachRound();
        }
    }
    return true;
}

void RunLoopFrame::runFor(std::chrono::milliseconds duration, const std::function<void()>& eachRound) {
    runUntil([] { return false; }, duration, eachRound);
}

} // namespace vanto::host
